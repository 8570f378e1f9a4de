#include "app/environment.h"

#include "text/string_table.h"
#include "tests/test_machine.h"

namespace {

TEST(DecideEnvironmentTest, SupportsNt5And60AndFixesValuesOnlyOn60ServersOrUnderWow64) {
    const struct {
        bool versionKnown;
        OsVersionInfo version;  // platform, major, minor, product type
        bool wow64;
        bool supported;
        FixedValues fixed;
    } cases[] = {
        {false, {2, 5, 1, 1}, false, false, kNoFixedValues},
        {false, {2, 6, 0, 3}, true, false, kNoFixedValues},
        {true, {0, 5, 1, 1}, false, false, kNoFixedValues},  // Win32s
        {true, {1, 5, 0, 1}, false, false, kNoFixedValues},  // Windows 9x
        {true, {3, 5, 0, 1}, false, false, kNoFixedValues},
        {true, {2, 5, 0, 1}, false, true, kNoFixedValues},  // 2000
        {true, {2, 5, 1, 1}, true, true, kNoFixedValues},   // XP under WOW64
        {true, {2, 5, 2, 3}, false, true, kNoFixedValues},  // Server 2003
        {true, {2, 5, 2, 3}, true, true, kNoFixedValues},
        {true, {2, 5, 3, 1}, false, false, kNoFixedValues},
        {true, {2, 5, 0xFFFFFFFF, 1}, false, false, kNoFixedValues},
        {true, {2, 6, 0, 1}, false, true, kNoFixedValues},      // Vista
        {true, {2, 6, 0, 1}, true, true, kWow64FixedValues},    // Vista x64
        {true, {2, 6, 0, 3}, false, true, kServerFixedValues},  // Server 2008
        {true, {2, 6, 0, 2}, false, true, kServerFixedValues},  // domain controller
        {true, {2, 6, 0, 0}, false, true, kServerFixedValues},  // anything but workstation
        {true, {2, 6, 0, 3}, true, true, kWow64FixedValues},
        {true, {2, 6, 1, 1}, false, false, kNoFixedValues},  // 7
        {true, {2, 6, 2, 3}, true, false, kNoFixedValues},
        {true, {2, 4, 0, 1}, false, false, kNoFixedValues},  // NT 4
        {true, {2, 10, 0, 1}, false, false, kNoFixedValues},
    };
    for (const auto& c : cases) {
        EnvironmentDecision decision = DecideEnvironment(c.versionKnown, c.version, c.wow64);
        SCOPED_TRACE(testing::Message() << c.versionKnown << " " << c.version.platformId << " "
                                        << c.version.majorVersion << "." << c.version.minorVersion << " type "
                                        << int(c.version.productType) << " wow64 " << c.wow64);
        EXPECT_EQ(decision.supported, c.supported);
        EXPECT_EQ(decision.fixedValues, c.fixed);
    }
}

class EnvironmentTest : public MachineTest {};

TEST_F(EnvironmentTest, FillsTheFixedValuesInTheSystemLanguage) {
    const struct {
        const char* name;
        std::u16string language;
        OsVersionInfo version;
        bool wow64;
        bool fixedApplies;
        std::u16string owner, organization;
    } cases[] = {
        {"Server 2008 English", u"en", {2, 6, 0, 3}, false, true, u"Windows User", u""},
        {"Server 2008 Japanese", u"ja", {2, 6, 0, 3}, false, true, u"Windows ユーザー", u""},
        {"Vista under WOW64", u"ja", {2, 6, 0, 1}, true, true, u"Microsoft", u"Microsoft"},
        {"Vista 32-bit", u"en", {2, 6, 0, 1}, false, false, u"", u""},
        {"XP under WOW64", u"en", {2, 5, 1, 1}, true, false, u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostSetLanguageName(c.language);
        HostSetVersion(c.version);
        HostSetWow64(c.wow64);
        AppState* state = NewState();
        ExtractTable(state);
        EXPECT_TRUE(CheckEnvironment(state));
        EXPECT_EQ(state->isWow64, c.wow64 ? 1 : 0);
        EXPECT_EQ(state->fixedApplies, c.fixedApplies ? 1 : 0);
        EXPECT_EQ(std::u16string(state->fixedOwner.text), c.owner);
        EXPECT_EQ(std::u16string(state->fixedOrganization.text), c.organization);
        RemoveStringTable(state);
    }
}

TEST_F(EnvironmentTest, AskedWow64EvenWhenTheVersionQueryFails) {
    HostSetWow64(true);
    HostFailOperation(kOpGetVersionEx, 1);
    AppState* state = NewState();
    EXPECT_FALSE(CheckEnvironment(state));
    EXPECT_EQ(state->isWow64, 1);
    EXPECT_EQ(state->fixedApplies, 0);
}

TEST_F(EnvironmentTest, Wow64FailuresMeanNotUnderWow64) {
    HostSetWow64(true);
    HostSetVersion({2, 6, 0, 3});  // a server: without WOW64 it gets the server pair
    HostSetWow64Export(false);
    AppState* state = NewState();
    ExtractTable(state);
    EXPECT_TRUE(CheckEnvironment(state));
    EXPECT_EQ(state->isWow64, 0);
    EXPECT_EQ(std::u16string(state->fixedOwner.text), u"Windows User");
    RemoveStringTable(state);

    HostSetWow64Export(true);
    HostFailOperation(kOpCallIsWow64Process, 1);
    EXPECT_FALSE(IsWow64());
    EXPECT_TRUE(IsWow64());
}

TEST_F(EnvironmentTest, AMissingFixedOwnerKeyBecomesTheKeyName) {
    HostSetVersion({2, 6, 0, 3});
    AppState* state = NewState();  // no string table at all
    EXPECT_TRUE(CheckEnvironment(state));
    EXPECT_EQ(std::u16string(state->fixedOwner.text), u"S_FIXED_VALUE1");
}

TEST_F(EnvironmentTest, AdministratorQueryIsCautiousAndAlwaysFreesShell32) {
    const struct {
        const char* name;
        bool loadable;
        bool exported;
        int32_t answer;
        uint8_t isAdmin;
    } cases[] = {
        {"administrator", true, true, 1, 1},
        {"any nonzero answer", true, true, 2, 1},
        {"negative answer", true, true, -1, 1},
        {"not an administrator", true, true, 0, 0},
        {"no ordinal 680", true, false, 1, 0},
        {"no shell32", false, true, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostReset(HostFolder());
        HostSetShell32Loadable(c.loadable);
        HostSetAdminExport(c.exported);
        HostSetAdminAnswer(c.answer);
        AppState* state = NewState();
        state->isAdmin = 1;
        DetectAdministrator(state);
        EXPECT_EQ(state->isAdmin, c.isAdmin);
        EXPECT_EQ(HostLibrariesLoaded(), 0) << "shell32 is freed on every path";
    }
}

}  // namespace
