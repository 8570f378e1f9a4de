#include "app/program_main.h"

#include "platform/dialogs.h"
#include "resources/resource.h"
#include "tests/test_machine.h"

namespace {

class StartupTest : public MachineTest {
  protected:
    int Run() { return ProgramMain(nullptr, nullptr, u"/ignored --options", 1); }
};

TEST_F(StartupTest, ANormalRunShowsTheMainDialogAndCleansUp) {
    HostSetScript({
        Inspect([] {
            EXPECT_EQ(HostDialogCaption(IDD_MAIN), u"Kestrawn");
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_USER_GROUP), u"User Information");
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_LABEL_FIRST), u"Name:");
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_LABEL_SECOND), u"Organization:");
            EXPECT_EQ(HostControlText(IDD_MAIN, kIdOk), u"Restore");
            EXPECT_EQ(HostControlText(IDD_MAIN, kIdCancel), u"Quit");
            EXPECT_TRUE(HostIsLockedByProgram("StringTable.dat"));
            EXPECT_TRUE(HostMutexExists(u"Kestrawn"));
        }),
        Click(kIdCancel),
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(HostDialogsOpened(IDD_MAIN), 1);
    EXPECT_TRUE(HostScriptErrors().empty()) << HostScriptErrors()[0];
    EXPECT_TRUE(HostMessageBoxes().empty());
    EXPECT_FALSE(HostFileExists("StringTable.dat"));
    EXPECT_EQ(HostOpenFiles(), 0);
}

TEST_F(StartupTest, JapaneseSystemLocaleShowsTheJapaneseTexts) {
    HostSetLanguageName(u"ja");
    HostSetScript({
        Inspect([] {
            EXPECT_EQ(HostDialogCaption(IDD_MAIN), u"Kestrawn");
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_USER_GROUP), u"使用者情報");
            EXPECT_EQ(HostControlText(IDD_MAIN, kIdOk), u"修復/再設定");
            EXPECT_EQ(HostControlText(IDD_MAIN, kIdCancel), u"終了");
        }),
        PressEscape(),
    });
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(HostScriptErrors().empty());
}

TEST_F(StartupTest, ASecondInstanceEndsAtOnceTouchingNothing) {
    HostHoldMutex(u"Kestrawn");
    HostWriteFile("StringTable.dat", "the first instance's table");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(HostDialogsOpened(IDD_MAIN), 0);
    EXPECT_TRUE(HostMessageBoxes().empty());
    std::string bytes;
    ASSERT_TRUE(HostReadFile("StringTable.dat", &bytes));
    EXPECT_EQ(bytes, "the first instance's table");
    EXPECT_EQ(HostCallCount(kOpGetModuleFileName) + HostCallCount(kOpCreateFileForWriting) +
                  HostCallCount(kOpGetFileAttributes) + HostCallCount(kOpRegOpenMachineKey),
              0);
}

TEST_F(StartupTest, AFailedMutexStillRuns) {
    HostFailOperation(kOpCreateMutex, 1);
    HostSetScript({Click(kIdCancel)});
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(HostDialogsOpened(IDD_MAIN), 1);
}

TEST_F(StartupTest, EarlyEndsShowAtMostTheirOneMessage) {
    const struct {
        const char* name;
        void (*setUp)();
        const char16_t* message;  // null: silent
    } cases[] = {
        {"folder not writable", [] { HostSetFolderWritable(false); }, nullptr},
        {"directory named StringTable.dat", [] { HostMakeDirectory("StringTable.dat"); }, nullptr},
        {"no string table resource", [] { HostSetResourceMissing(true); }, nullptr},
        {"Windows 6.1", [] { HostSetVersion({2, 6, 1, 1}); }, u"Your operating system does not support this utility."},
        {"Windows 9x", [] { HostSetVersion({1, 4, 90, 0}); }, u"Your operating system does not support this utility."},
        {"custom file with an empty owner",
         [] { HostWriteFile("Kestrawn.ini", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=\r\n"); },
         u"Failed to read the custom restoration file.\r\nCorrect the contents in this file, then run the utility "
         u"again."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.setUp();
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(HostDialogsOpened(IDD_MAIN), 0);
        if (c.message == nullptr) {
            EXPECT_TRUE(HostMessageBoxes().empty());
        } else {
            ASSERT_EQ(HostMessageBoxes().size(), 1u);
            const HostMessageBox& box = HostMessageBoxes()[0];
            EXPECT_EQ(box.text, c.message);
            EXPECT_EQ(box.caption, u"Kestrawn");
            EXPECT_EQ(box.style, kMbOk | kMbIconHand);
            EXPECT_EQ(box.ownerTemplate, 0);
        }
        std::string ignored;
        EXPECT_FALSE(HostReadFile("StringTable.dat", &ignored)) << "no extracted table is left behind";
        EXPECT_EQ(HostRegValueWrites(), 0);
        EXPECT_FALSE(HostFileExists("Kestrawn.dat"));
        EXPECT_EQ(HostOpenFiles(), 0);
    }
}

TEST_F(StartupTest, ChecksRunInTheirOrderAndStopAtTheFirstRefusal) {
    // Refused system: neither the administrator query nor the custom file is asked.
    HostSetVersion({2, 6, 1, 1});
    HostWriteFile("Kestrawn.ini", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=x\r\n");
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(HostCallCount(kOpLoadLibrary), 0);
    EXPECT_EQ(HostCallCount(kOpReadProfileString), 2) << "only the caption and the message were looked up";
    EXPECT_EQ(HostCallCount(kOpCallIsWow64Process), 1) << "the WOW64 answer is asked all the same";
}

TEST_F(StartupTest, AMainDialogThatCannotBeCreatedEndsSilently) {
    HostFailOperation(kOpDialogBox, 1);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(HostMessageBoxes().empty());
    EXPECT_FALSE(HostFileExists("StringTable.dat"));
}

}  // namespace
