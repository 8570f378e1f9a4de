#include "sidefiles/custom_file.h"

#include "tests/test_machine.h"

namespace {

std::string Utf16File(const std::u16string& text) { return std::string("\xFF\xFE", 2) + Utf16Bytes(text); }

class CustomFileTest : public MachineTest {};

TEST_F(CustomFileTest, AcceptsOnlyAnOwnerOf1To1024AndAnOrganizationUpTo1024) {
    const std::string k1024(1024, 'a'), k1025(1025, 'a');
    const struct {
        const char* name;
        std::string file;
        bool accepted;
        std::u16string owner, organization;
    } cases[] = {
        {"owner only", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=Alice\r\n", true, u"Alice", u""},
        {"both", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner = Alice \r\nRegisteredOrganization\t=\tExample\r\n", true,
         u"Alice", u"Example"},
        {"owner 1024, organization 1024", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=" + k1024 +
             "\r\nRegisteredOrganization=" + k1024 + "\r\n", true, FromUtf8(k1024), FromUtf8(k1024)},
        {"owner 1025", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=" + k1025 + "\r\n", false, FromUtf8(k1025), u""},
        {"organization 1025", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=A\r\nRegisteredOrganization=" + k1025 + "\r\n",
         false, u"A", FromUtf8(k1025)},
        {"owner over 4095, cut and still refused", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=" +
             std::string(5000, 'z') + "\r\n", false, std::u16string(4095, u'z'), u""},
        {"empty file", "", false, u"", u""},
        {"no section", "RegisteredOwner=Alice\r\n", false, u"", u""},
        {"other section", "[RESTORE_INFO]\r\nRegisteredOwner=Alice\r\n", false, u"", u""},
        {"nothing after =", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=\r\n", false, u"", u""},
        {"spaces only", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=   \r\n", false, u"", u""},
        {"quoted spaces", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=\"   \"\r\n", true, u"   ", u""},
        {"binary bytes", std::string("\x00\x01\x02\xFF\x00[CUSTOM", 12), false, u"", u""},
        {"UTF-16", Utf16File(u"[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=\"日本 \U0001F600\"\r\nRegisteredOrganization=組織\r\n"),
         true, u"日本 \U0001F600", u"組織"},
        {"UTF-16 truncated mid-line", Utf16File(u"[CUSTOM_RESTORE_INFO]\r\nRegisteredOw"), false, u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostWriteFile("Kestrawn.ini", c.file);
        AppState* state = NewState();
        EXPECT_EQ(LoadCustomInfo(state), c.accepted);
        EXPECT_EQ(state->customLoaded, 1);
        EXPECT_EQ(std::u16string(state->newOwner.text), c.owner);
        EXPECT_EQ(std::u16string(state->newOrganization.text), c.organization);
    }
}

TEST_F(CustomFileTest, Code932FileUnderTheJapaneseLocale) {
    HostSetLanguageName(u"ja");
    HostWriteFile("Kestrawn.ini", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=\x93\xfa\x96\x7b\r\n");
    AppState* state = NewState();
    EXPECT_TRUE(LoadCustomInfo(state));
    EXPECT_EQ(std::u16string(state->newOwner.text), u"日本");
}

TEST_F(CustomFileTest, NoFileOrADirectoryLeavesEverythingUntouched) {
    AppState* state = NewState();
    EXPECT_TRUE(LoadCustomInfo(state));
    HostMakeDirectory("Kestrawn.ini");
    EXPECT_TRUE(LoadCustomInfo(state));
    EXPECT_EQ(state->customLoaded, 0);
    EXPECT_EQ(state->newOwner.text[0], 0);
}

TEST_F(CustomFileTest, AnUnreadableFileIsRefused) {
    HostWriteFile("Kestrawn.ini", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=Alice\r\n");
    HostFailOperation(kOpReadProfileString, 1, true);
    AppState* state = NewState();
    EXPECT_FALSE(LoadCustomInfo(state));
}

}  // namespace
