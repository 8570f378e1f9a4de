#include "registry/user_info.h"

#include "registry/affected_products.h"
#include "platform/registry.h"
#include "tests/test_machine.h"

namespace {

const char16_t kBraskoConfigKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{6E31A5C2-0B7D-4F48-9A16-3D27C8E4B950}";
const char16_t kBraskoSetupKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A4D2917E-58C3-4B06-B7E1-0F62C93D4A18}";

bool AllZero(const TextBuffer& buffer) {
    for (char16_t c : buffer.text) {
        if (c != 0) return false;
    }
    return true;
}

class UserInfoTest : public MachineTest {};

TEST_F(UserInfoTest, ReaderCodesAndBounds) {
    const std::u16string k4095(4095, u'x');
    const struct {
        const char* name;
        bool present;
        uint32_t type;
        std::string bytes;
        int code;
        size_t length;
    } cases[] = {
        {"absent", false, kRegSz, "", kReadFailed, 0},
        {"present", true, kRegSz, Utf16Bytes(std::u16string(u"Alice") + u'\0'), kReadNotEmpty, 5},
        {"empty", true, kRegSz, Utf16Bytes(std::u16string(1, u'\0')), kReadEmpty, 0},
        {"no data at all", true, kRegSz, "", kReadEmpty, 0},
        {"stored without NUL", true, kRegSz, Utf16Bytes(u"Bob"), kReadNotEmpty, 3},
        {"odd byte count", true, kRegSz, Utf16Bytes(u"Bob") + "C", kReadNotEmpty, 4},
        {"another type, read as bytes", true, 3, Utf16Bytes(std::u16string(u"Bin") + u'\0'), kReadNotEmpty, 3},
        {"4095 units and NUL: 8192 bytes", true, kRegSz, Utf16Bytes(k4095 + u'\0'), kReadNotEmpty, 4095},
        {"4096 units without NUL fill the buffer", true, kRegSz, Utf16Bytes(k4095 + u'y'), kReadNotEmpty, 4096},
        {"over 8192 bytes", true, kRegSz, Utf16Bytes(k4095 + u"yz"), kReadFailed, 0},
        {"5000 characters", true, kRegSz, Utf16Bytes(std::u16string(5000, u'q') + u'\0'), kReadFailed, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostRegDeleteValue(kUserInfo, u"Probe");
        if (c.present) HostRegSetBytes(kUserInfo, u"Probe", c.type, c.bytes);
        TextBuffer* buffer = new TextBuffer;
        for (char16_t& unit : buffer->text) unit = u'#';
        EXPECT_EQ(ReadMachineString(kUserInfo.c_str(), u"Probe", buffer), c.code);
        uint32_t length = 0;
        while (length < kTextBufferLength && buffer->text[length] != 0) length++;
        EXPECT_EQ(length, c.length);
        if (c.code == kReadFailed) {
            EXPECT_TRUE(AllZero(*buffer)) << "no bytes of a failed read stay behind";
        }
        delete buffer;
    }
    TextBuffer buffer;
    EXPECT_EQ(ReadMachineString(u"SOFTWARE\\No\\Such\\Key", u"Probe", &buffer), kReadFailed);
    HostFailOperation(kOpRegQueryValue, 1);
    EXPECT_EQ(ReadMachineString(kUserInfo.c_str(), u"RegisteredOwner", &buffer), kReadFailed);
    EXPECT_TRUE(AllZero(buffer));
}

TEST_F(UserInfoTest, ValidatesOwnerAndOrganization) {
    const std::u16string kAbsent = u"<absent>";
    const std::u16string k1024(1024, u'a');
    const std::u16string k1025(1025, u'a');
    // A character outside the BMP counts twice: 512 of them make 1024 code units.
    std::u16string smile1024, smile1025;
    for (int i = 0; i < 512; i++) smile1024 += u"\U0001F600";
    smile1025 = smile1024 + u"a";
    const struct {
        const char* name;
        std::u16string owner, organization;
        uint8_t ownerValid, organizationValid;
        std::u16string currentOwner, currentOrganization;
    } cases[] = {
        {"both sound", u"Alice", u"Example", 1, 1, u"Alice", u"Example"},
        {"owner absent", kAbsent, u"Example", 0, 1, u"", u"Example"},
        {"owner empty", u"", u"Example", 0, 1, u"", u"Example"},
        {"organization empty is valid", u"Alice", u"", 1, 1, u"Alice", u""},
        {"organization absent", u"Alice", kAbsent, 1, 0, u"Alice", u""},
        {"1024 accepted", k1024, k1024, 1, 1, k1024, k1024},
        {"1025 refused and cleared", k1025, k1025, 0, 0, u"", u""},
        {"surrogate pairs at 1024", smile1024, smile1024, 1, 1, smile1024, smile1024},
        {"surrogate pairs at 1025", smile1025, smile1025, 0, 0, u"", u""},
        {"spaces only", u"   ", u" ", 1, 1, u"   ", u" "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostRegDeleteValue(kUserInfo, u"RegisteredOwner");
        HostRegDeleteValue(kUserInfo, u"RegisteredOrganization");
        if (c.owner != kAbsent) SetOwner(c.owner);
        if (c.organization != kAbsent) SetOrganization(c.organization);
        AppState* state = NewState();
        state->ownerValid = state->organizationValid = 1;
        ReadCurrentUserInfo(state);
        EXPECT_EQ(state->ownerValid, c.ownerValid);
        EXPECT_EQ(state->organizationValid, c.organizationValid);
        EXPECT_EQ(std::u16string(state->currentOwner.text), c.currentOwner);
        EXPECT_EQ(std::u16string(state->currentOrganization.text), c.currentOrganization);
        if (!c.ownerValid) {
            EXPECT_TRUE(AllZero(state->currentOwner));
        }
    }
}

TEST_F(UserInfoTest, WritesRegSzWithItsNul) {
    EXPECT_TRUE(WriteUserInfoValue(u"", kOrganizationValueName));
    uint32_t type = 0;
    std::string bytes;
    ASSERT_TRUE(HostRegGetBytes(kUserInfo, u"RegisteredOrganization", &type, &bytes));
    EXPECT_EQ(type, kRegSz);
    EXPECT_EQ(bytes, std::string(2, '\0'));

    EXPECT_TRUE(WriteUserInfoValue(u"Zoë \U0001F600", kOwnerValueName));
    ASSERT_TRUE(HostRegGetBytes(kUserInfo, u"RegisteredOwner", &type, &bytes));
    EXPECT_EQ(bytes, Utf16Bytes(std::u16string(u"Zoë \U0001F600") + u'\0'));

    HostFailOperation(kOpRegSetValue, 1);
    EXPECT_FALSE(WriteUserInfoValue(u"Refused", kOwnerValueName));
    HostFailOperation(kOpRegOpenMachineKey, 1);
    EXPECT_FALSE(WriteUserInfoValue(u"Refused", kOwnerValueName));
    EXPECT_EQ(RegistryOwner(), u"Zoë \U0001F600");
}

TEST_F(UserInfoTest, AffectedVersionsMatchExactly) {
    const struct {
        const char16_t* config;  // null: no key
        const char16_t* setup;
        uint8_t configAffected, setupAffected;
    } cases[] = {
        {nullptr, nullptr, 0, 0},
        {u"3.0a", nullptr, 1, 0},
        {u"3.0b", nullptr, 1, 0},
        {u"3.1a", nullptr, 1, 0},
        {u"3.1b", nullptr, 1, 0},
        {u"3.2a", nullptr, 1, 0},
        {u"3.2b", nullptr, 0, 0},
        {u"3.3a", nullptr, 0, 0},
        {u"3.0A", nullptr, 0, 0},
        {u"3.0a ", nullptr, 0, 0},
        {u" 3.0a", nullptr, 0, 0},
        {u"3.0", nullptr, 0, 0},
        {u"", nullptr, 0, 0},
        {nullptr, u"3.0a", 0, 1},
        {nullptr, u"3.0b", 0, 0},
        {nullptr, u"3.2a", 0, 0},
        {u"3.2a", u"3.0a", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.config ? ToUtf8(c.config) : "-") << " / "
                                        << (c.setup ? ToUtf8(c.setup) : "-"));
        HostReset(HostFolder());
        if (c.config) HostRegSetString(kBraskoConfigKey, u"DisplayVersion", c.config);
        if (c.setup) HostRegSetString(kBraskoSetupKey, u"DisplayVersion", c.setup);
        AppState* state = NewState();
        state->configAffected = state->setupAffected = 1;
        DetectAffectedProducts(state);
        EXPECT_EQ(state->configAffected, c.configAffected);
        EXPECT_EQ(state->setupAffected, c.setupAffected);
    }
}

TEST_F(UserInfoTest, AVersionFillingTheWholeBufferIsNotReadPastItsEnd) {
    HostRegSetBytes(kBraskoConfigKey, u"DisplayVersion", kRegSz, Utf16Bytes(std::u16string(4096, u'3')));
    AppState* state = NewState();
    DetectAffectedProducts(state);
    EXPECT_EQ(state->configAffected, 0);
}

}  // namespace
