#include "text/string_table.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/files.h"
#include "text/side_file_path.h"
#include "tests/test_machine.h"

namespace {

const char* const kAllKeys[] = {
    "S_APP_NAME", "S_STAT_BAD_REG_INST", "S_STAT_BAD_INSTALL", "S_STAT_BAD_INST_USER", "S_STAT_BAD_REG_USER",
    "S_STAT_BAD_REGISTRY", "S_STAT_BAD_USER", "S_STAT_NOERROR", "S_CONFIRM_MESSAGE", "S_ERR_OPERATION_FAILED",
    "S_ERR_OPERATION_SUCCEED", "S_ERR_FILEREAD_FAILED", "S_ERR_UNSUPPORTED_OS", "S_UI_USER", "S_UI_OWNER",
    "S_UI_ORGANIZATION", "S_UI_RESTORE", "S_UI_EXIT", "S_UI_BAD_VALUE", "S_FIXED_VALUE1", "S_UI_INPUT_MESSAGE",
    "S_UI_INPUT_OWNER", "S_UI_INPUT_ORGANIZATION", "S_UI_OK", "S_UI_CANCEL", "S_ERR_OWN_TOSHORT",
    "S_ERR_OWN_TOLONG", "S_ERR_ORG_TOLONG",
};

std::string ResourceFile(const std::string& name) {
    std::ifstream file(std::string(KESTRAWN_RESOURCE_DIR) + "/" + name, std::ios::binary);
    std::stringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

class StringTableTest : public MachineTest {};

TEST_F(StringTableTest, ChoosesJapaneseOnlyForTheJapaneseLanguage) {
    const struct {
        const char16_t* language;
        const char16_t* table;
    } cases[] = {
        {u"ja", u"JA"}, {u"JA", u"JA"}, {u"Ja", u"JA"}, {u"jA", u"JA"}, {u"en", u"EN"},
        {u"", u"EN"},   {u"jpn", u"EN"}, {u"j", u"EN"},  {u"de", u"EN"},
    };
    for (const auto& c : cases) EXPECT_EQ(std::u16string(ChooseStringTable(c.language)), c.table) << ToUtf8(c.language);
}

TEST_F(StringTableTest, ExtractsTheChosenTableByteForByteAndLocksIt) {
    for (const char* language : {"en", "ja"}) {
        SCOPED_TRACE(language);
        HostSetLanguageName(FromUtf8(language));
        HostWriteFile("StringTable.dat", "left over from a killed run");
        AppState* state = NewState();
        ExtractStringTable(state);
        EXPECT_EQ(state->operationFailed, 0);
        std::string extracted;
        ASSERT_TRUE(HostReadFile("StringTable.dat", &extracted));
        EXPECT_EQ(extracted, ResourceFile(std::string(language) + ".lang"));
        EXPECT_TRUE(HostIsLockedByProgram("StringTable.dat"));

        RemoveStringTable(state);
        EXPECT_EQ(state->stringTableLock, kInvalidFileHandle);
        EXPECT_FALSE(HostFileExists("StringTable.dat"));
        EXPECT_EQ(HostOpenFiles(), 0);
    }
}

TEST_F(StringTableTest, EveryFailedStepLeavesTheFailureFlagAndRemovalCleansUp) {
    const struct {
        PlatformOperation operation;
        bool lockAttempted;  // the lock's handle is stored whatever it is
    } cases[] = {
        {kOpFindResource, false},      {kOpSizeofResource, false}, {kOpLoadResourceBytes, false},
        {kOpCreateFileForWriting, false}, {kOpWriteFile, false},   {kOpOpenFileShareRead, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(PlatformOperationName(c.operation));
        HostReset(HostFolder());
        HostFailOperation(c.operation, 1);
        AppState* state = NewState();
        ExtractStringTable(state);
        EXPECT_EQ(state->operationFailed, 1);
        EXPECT_EQ(state->stringTableLock, c.lockAttempted ? kInvalidFileHandle : nullptr);
        RemoveStringTable(state);
        EXPECT_FALSE(HostFileExists("StringTable.dat")) << "a partly written table is deleted";
        EXPECT_EQ(HostOpenFiles(), 0);
    }
}

TEST_F(StringTableTest, AFileHeldByOthersOrADirectoryStopsTheExtraction) {
    HostWriteFile("StringTable.dat", "old");
    HostSetReadOnly("StringTable.dat", true);
    AppState* state = NewState();
    ExtractStringTable(state);
    EXPECT_EQ(state->operationFailed, 1);
    HostSetReadOnly("StringTable.dat", false);

    ASSERT_EQ(unlink(HostPath("StringTable.dat").c_str()), 0);
    HostMakeDirectory("StringTable.dat");
    state = NewState();
    ExtractStringTable(state);
    EXPECT_EQ(state->operationFailed, 1);
    RemoveStringTable(state);
    std::string ignored;
    EXPECT_TRUE(HostFileExists("StringTable.dat") && !HostReadFile("StringTable.dat", &ignored))
        << "the directory stays";
}

TEST_F(StringTableTest, RemovalClosesOnlyAHeldLock) {
    // A lock obtained, one never tried (0), one that failed: only the first is closed.
    for (int kind = 0; kind < 3; kind++) {
        SCOPED_TRACE(kind);
        HostWriteFile("StringTable.dat", "x");
        AppState* state = NewState();
        std::u16string path = FromUtf8(HostPath("StringTable.dat"));
        if (kind == 0) state->stringTableLock = OsOpenFileShareRead(path.c_str());
        if (kind == 2) state->stringTableLock = kInvalidFileHandle;
        int closesBefore = HostCallCount(kOpCloseFile);
        RemoveStringTable(state);
        EXPECT_EQ(HostCallCount(kOpCloseFile) - closesBefore, kind == 0 ? 1 : 0);
        EXPECT_EQ(state->stringTableLock, kind == 1 ? nullptr : kInvalidFileHandle);
        EXPECT_FALSE(HostFileExists("StringTable.dat"));
    }
    // No file at all: nothing closed, nothing deleted.
    AppState* state = NewState();
    int deletesBefore = HostCallCount(kOpDeleteFile);
    RemoveStringTable(state);
    EXPECT_EQ(HostCallCount(kOpDeleteFile), deletesBefore);
}

// The lock is closed and the table deleted even when the attributes query
// fails: holding the lock proves the path is the program's own file.
TEST_F(StringTableTest, RemovalWithAFailedAttributesQueryStillReleasesAndDeletes) {
    AppState* state = NewState();
    ExtractTable(state);
    HostFailOperation(kOpGetFileAttributes, 1, true);
    RemoveStringTable(state);
    EXPECT_EQ(HostOpenFiles(), 0);
    EXPECT_FALSE(HostFileExists("StringTable.dat"));
}

TEST_F(StringTableTest, LooksUpEveryKeyInBothLanguages) {
    for (const char* language : {"en", "ja"}) {
        HostSetLanguageName(FromUtf8(language));
        AppState* state = NewState();
        ExtractTable(state);
        for (const char* key : kAllKeys) {
            std::u16string name = FromUtf8(key);
            EXPECT_NE(std::u16string(LookupText(name.c_str())), name) << language << " lacks " << key;
        }
        RemoveStringTable(state);
    }
}

TEST_F(StringTableTest, TextsAsShown) {
    const struct {
        const char* language;
        const char16_t* key;
        std::u16string expected;
    } cases[] = {
        {"en", u"S_APP_NAME", u"Kestrawn"},
        {"en", u"S_UI_INPUT_MESSAGE", u"Enter the user information."},  // stored with a trailing space
        {"en", u"S_ERR_OWN_TOLONG", u"Enter the name within 1024 characters."},
        {"en", u"S_CONFIRM_MESSAGE",
         u"The restoration of the user information has not been completed.\r\nDo you want to exit this utility?"},
        {"en", u"S_ERR_OPERATION_FAILED",
         u"Failed to restore the user information.\r\nManual restoration file \"Kestrawn.reg\" has been "
         u"generated.\r\nDouble-click this file, run the utility again, and then confirm whether the user "
         u"information has been restored."},
        {"en", u"S_NO_SUCH_KEY", u"S_NO_SUCH_KEY"},
        {"ja", u"S_APP_NAME", u"Kestrawn"},
        {"ja", u"S_FIXED_VALUE1", u"Windows ユーザー"},
        {"ja", u"S_UI_RESTORE", u"修復/再設定"},
        {"ja", u"S_CONFIRM_MESSAGE", u"使用者情報の修復は完了していません。\r\n修復には再度本ツールの実行が必要です。\r\n終了しますか？"},
        {"ja", u"S_NO_SUCH_KEY", u"S_NO_SUCH_KEY"},
    };
    for (const auto& c : cases) {
        HostSetLanguageName(FromUtf8(c.language));
        AppState* state = NewState();
        ExtractTable(state);
        EXPECT_EQ(std::u16string(LookupText(c.key)), c.expected) << c.language << " " << ToUtf8(c.key);
        RemoveStringTable(state);
    }
}

TEST_F(StringTableTest, AMissingTableGivesTheKeyNames) {
    EXPECT_EQ(std::u16string(LookupText(u"S_APP_NAME")), u"S_APP_NAME");
}

TEST_F(StringTableTest, FiveLookupsStayIntactAndTheSixthReusesTheOldestBuffer) {
    AppState* state = NewState();
    ExtractTable(state);
    const char16_t* keys[] = {u"S_UI_OK", u"S_UI_CANCEL", u"S_UI_EXIT", u"S_UI_RESTORE", u"S_UI_USER"};
    const char16_t* results[5];
    for (int i = 0; i < 5; i++) results[i] = LookupText(keys[i]);
    EXPECT_EQ(std::u16string(results[0]), u"OK");
    EXPECT_EQ(std::u16string(results[1]), u"Cancel");
    EXPECT_EQ(std::u16string(results[2]), u"Quit");
    EXPECT_EQ(std::u16string(results[3]), u"Restore");
    EXPECT_EQ(std::u16string(results[4]), u"User Information");
    const char16_t* sixth = LookupText(u"S_UI_OWNER");
    EXPECT_EQ(sixth, results[0]);
    EXPECT_EQ(std::u16string(results[0]), u"Name:");
    EXPECT_EQ(std::u16string(results[1]), u"Cancel");
    RemoveStringTable(state);
}

TEST(ExpandLineBreaksTest, TurnsEachEscapeIntoCrLf) {
    const struct {
        std::u16string input;
        std::u16string expected;
    } cases[] = {
        {u"", u""},
        {u"plain", u"plain"},
        {u"\\nstart", u"\r\nstart"},
        {u"end\\n", u"end\r\n"},
        {u"a\\n\\nb", u"a\r\n\r\nb"},
        {u"last\\", u"last\\"},
        {u"a\\\\nb", u"a\\\r\nb"},
        {u"\\x\\n", u"\\x\r\n"},
        {u"n\\", u"n\\"},
    };
    for (const auto& c : cases) {
        std::u16string text = c.input;
        text.push_back(0);
        ExpandLineBreaks(&text[0]);
        text.pop_back();
        EXPECT_EQ(text, c.expected) << ToUtf8(c.input);
    }
}

// The tables are edited by hand: keep both in the layout the reader and
// translators rely on.
TEST(StringTableFilesTest, BothTablesShareKeysOrderAndLayout) {
    std::vector<std::pair<std::string, int>> layouts[2];
    const char* files[] = {"en.lang", "ja.lang"};
    for (int f = 0; f < 2; f++) {
        std::string bytes = ResourceFile(files[f]);
        SCOPED_TRACE(files[f]);
        ASSERT_GE(bytes.size(), 4u);
        EXPECT_EQ(bytes.compare(0, 13, "[LOCALIZED]\r\n"), 0);
        EXPECT_EQ(bytes.substr(bytes.size() - 4), "\r\n\r\n") << "one empty line at the end";
        size_t start = 0;
        while (start < bytes.size()) {
            size_t end = bytes.find("\r\n", start);
            ASSERT_NE(end, std::string::npos) << "every line ends in CR LF";
            std::string line = bytes.substr(start, end - start);
            start = end + 2;
            EXPECT_EQ(line.find('\n'), std::string::npos);
            if (line.empty() || line[0] == ';' || line[0] == '[') continue;
            size_t keyEnd = line.find('\t');
            ASSERT_NE(keyEnd, std::string::npos) << line;
            int column = static_cast<int>(keyEnd);
            size_t i = keyEnd;
            for (; line[i] == '\t'; i++) column = (column / 4 + 1) * 4;
            EXPECT_EQ(column, 24) << line;
            EXPECT_EQ(line[i], '=') << line;
            EXPECT_EQ(line[i + 1], '\t') << line;
            layouts[f].push_back({line.substr(0, keyEnd), static_cast<int>(i - keyEnd)});
        }
    }
    ASSERT_EQ(layouts[0].size(), 28u);
    EXPECT_EQ(layouts[0], layouts[1]);
    for (size_t k = 0; k < layouts[0].size(); k++) EXPECT_EQ(layouts[0][k].first, kAllKeys[k]);
}

}  // namespace
