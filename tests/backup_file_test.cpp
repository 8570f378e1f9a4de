#include "sidefiles/backup_file.h"

#include <unistd.h>

#include "registry/user_info.h"
#include "tests/test_machine.h"

namespace {

// The bytes SaveBackup writes for two values.
std::string BackupBytes(const std::u16string& owner, const std::u16string& organization) {
    return std::string("\xFF\xFE", 2) + Utf16Bytes(u"[RESTORE_INFO]\r\nRegisteredOwner = \"" + owner +
                                                   u"\"\r\nRegisteredOrganization = \"" + organization + u"\"\r\n");
}

class BackupFileTest : public MachineTest {
  protected:
    // A state as the status evaluation leaves it: read from the registry.
    AppState* StateWith(const std::u16string& owner, const std::u16string& organization) {
        SetOwner(owner);
        SetOrganization(organization);
        AppState* state = NewState();
        ReadCurrentUserInfo(state);
        return state;
    }
    std::string Backup() {
        std::string bytes;
        return HostReadFile("Kestrawn.dat", &bytes) ? bytes : "<none>";
    }
};

TEST_F(BackupFileTest, WritesExactlyTheseBytes) {
    AppState* state = StateWith(u"Abcd", u"");
    SaveBackup(state);
    std::string bytes = Backup();
    EXPECT_EQ(bytes.size(), 144u);
    EXPECT_EQ(bytes, BackupBytes(u"Abcd", u""));
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.substr(bytes.size() - 6), Utf16Bytes(u"\"\r\n"));
    EXPECT_FALSE(HostFileExists("Kestrawn.dat.tmp"));
    EXPECT_EQ(HostOpenFiles(), 0);

    // A second save replaces the first whole.
    state = StateWith(u"Alice Example", u"Example Ltd");
    SaveBackup(state);
    EXPECT_EQ(Backup(), BackupBytes(u"Alice Example", u"Example Ltd"));
    EXPECT_EQ(Backup().size(), 136u + 2 * 13 + 2 * 11);
}

TEST_F(BackupFileTest, ValuesComeBackAsTheyWere) {
    const std::u16string values[] = {
        u"",       u"\"quoted\"", u"\"",          u"\"\"",      u"  blanks around  ",
        u"a\\b\\", u"日本語 \U0001F600", u"tab\there", u"= sign =", std::u16string(1024, u'm'),
    };
    for (const std::u16string& value : values) {
        SCOPED_TRACE(ToUtf8(value));
        AppState* state = StateWith(u"Owner", value);
        SaveBackup(state);
        LoadBackup(state);
        EXPECT_EQ(state->backupLoaded, 1);
        EXPECT_EQ(std::u16string(state->backupOwner.text), u"Owner");
        EXPECT_EQ(std::u16string(state->backupOrganization.text), value);
    }
}

TEST_F(BackupFileTest, ALineBreakInAValueBreaksItsLine) {
    AppState* state = StateWith(u"two\r\nlines", u"Org");
    SaveBackup(state);
    EXPECT_EQ(Backup(), BackupBytes(u"two\r\nlines", u"Org"));
    LoadBackup(state);
    EXPECT_EQ(std::u16string(state->backupOwner.text), u"\"two");
    EXPECT_EQ(std::u16string(state->backupOrganization.text), u"Org");
}

TEST_F(BackupFileTest, LoadsWhatTheReaderCanRead) {
    const std::u16string k1024(1024, u'o'), k1025(1025, u'o');
    const struct {
        const char* name;
        std::string file;
        std::u16string owner, organization;
    } cases[] = {
        {"empty file", "", u"", u""},
        {"other content", "hello\r\n[OTHER]\r\nRegisteredOwner=x\r\n", u"", u""},
        {"hand-made 8-bit, unquoted", "[RESTORE_INFO]\r\nRegisteredOwner = Bob \r\n", u"Bob", u""},
        {"truncated in a value", BackupBytes(u"Alice", u"Org").substr(0, 78), u"\"Ali", u""},
        {"1024 kept, 1025 discarded", BackupBytes(k1024, k1025), k1024, u""},
        {"1025 discarded, 1024 kept", BackupBytes(k1025, k1024), u"", k1024},
        {"over 4095 discarded", BackupBytes(std::u16string(5000, u'x'), u"Org"), u"", u"Org"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostWriteFile("Kestrawn.dat", c.file);
        AppState* state = NewState();
        state->backupOwner.text[0] = u'?';
        LoadBackup(state);
        EXPECT_EQ(state->backupLoaded, 1);
        EXPECT_EQ(std::u16string(state->backupOwner.text), c.owner);
        EXPECT_EQ(std::u16string(state->backupOrganization.text), c.organization);
    }
}

TEST_F(BackupFileTest, NoFileOrADirectoryLoadsNothing) {
    AppState* state = NewState();
    state->backupOwner.text[0] = u'k';
    LoadBackup(state);
    EXPECT_EQ(state->backupLoaded, 0);
    EXPECT_EQ(std::u16string(state->backupOwner.text), u"k") << "earlier contents stay";

    HostMakeDirectory("Kestrawn.dat");
    LoadBackup(state);
    EXPECT_EQ(state->backupLoaded, 0);
    SaveBackup(StateWith(u"Alice", u"Org"));
    std::string ignored;
    EXPECT_FALSE(HostReadFile("Kestrawn.dat", &ignored)) << "the directory stays a directory";
    EXPECT_FALSE(HostFileExists("Kestrawn.dat.tmp"));
}

// A save that fails at any point keeps the earlier backup as it was.
TEST_F(BackupFileTest, AFailedSaveKeepsTheEarlierBackup) {
    const std::string earlier = BackupBytes(u"Earlier Owner", u"Earlier Org");
    const struct {
        const char* name;
        PlatformOperation operation;
        int nth;
    } cases[] = {
        {"create", kOpCreateFileForWriting, 1}, {"head", kOpWriteFile, 1}, {"owner", kOpWriteFile, 2},
        {"middle", kOpWriteFile, 3},            {"organization", kOpWriteFile, 4}, {"tail", kOpWriteFile, 5},
        {"replace", kOpReplaceFile, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostWriteFile("Kestrawn.dat", earlier);
        AppState* state = StateWith(u"New Owner", u"New Org");
        HostFailOperation(c.operation, c.nth);
        SaveBackup(state);
        EXPECT_EQ(Backup(), earlier);
        EXPECT_FALSE(HostFileExists("Kestrawn.dat.tmp"));
        EXPECT_EQ(HostOpenFiles(), 0);
    }
    // A read-only backup is left as it was too, without even a temporary
    // file: some systems let a rename replace a read-only file.
    HostSetReadOnly("Kestrawn.dat", true);
    int createsBefore = HostCallCount(kOpCreateFileForWriting);
    SaveBackup(StateWith(u"New Owner", u"New Org"));
    EXPECT_EQ(Backup(), earlier);
    EXPECT_EQ(HostCallCount(kOpCreateFileForWriting), createsBefore);
    EXPECT_FALSE(HostFileExists("Kestrawn.dat.tmp"));
}

TEST_F(BackupFileTest, AnInvalidValueKeepsWhatTheEarlierBackupHeld) {
    const std::u16string kAbsent = u"<absent>";
    const struct {
        const char* name;
        std::string earlier;  // empty: no earlier backup
        std::u16string owner, organization;
        std::string expected;
    } cases[] = {
        {"owner lost, kept from the backup", BackupBytes(u"Alice", u"Old Org"), kAbsent, u"New Org",
         BackupBytes(u"Alice", u"New Org")},
        {"owner emptied, kept from the backup", BackupBytes(u"Alice", u"Old Org"), u"", u"New Org",
         BackupBytes(u"Alice", u"New Org")},
        {"overlong owner, kept from the backup", BackupBytes(u"Alice", u"Old Org"), std::u16string(1025, u'x'),
         u"New Org", BackupBytes(u"Alice", u"New Org")},
        {"organization lost, kept", BackupBytes(u"Old", u"Example"), u"Alice", kAbsent,
         BackupBytes(u"Alice", u"Example")},
        {"a valid empty organization is written empty", BackupBytes(u"Old", u"Example"), u"Alice", u"",
         BackupBytes(u"Alice", u"")},
        {"no earlier backup: written empty", "", kAbsent, u"New Org", BackupBytes(u"", u"New Org")},
        {"the backup's own owner is empty", BackupBytes(u"", u"Old"), kAbsent, u"New Org",
         BackupBytes(u"", u"New Org")},
        {"the backup's owner is overlong", BackupBytes(std::u16string(1025, u'y'), u"Old"), kAbsent, u"New Org",
         BackupBytes(u"", u"New Org")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostReset(HostFolder());
        unlink(HostPath("Kestrawn.dat").c_str());
        if (!c.earlier.empty()) HostWriteFile("Kestrawn.dat", c.earlier);
        if (c.owner != kAbsent) SetOwner(c.owner);
        if (c.organization != kAbsent) SetOrganization(c.organization);
        AppState* state = NewState();
        ReadCurrentUserInfo(state);
        SaveBackup(state);
        EXPECT_EQ(Backup(), c.expected);
    }
}

// The registry lost the owner and only the earlier backup still holds it:
// when that backup cannot be examined or read, it is left as it was rather
// than replaced by one without the owner.
TEST_F(BackupFileTest, AnEarlierBackupThatCannotBeReadIsNotReplaced) {
    const std::string earlier = BackupBytes(u"Alice", u"Old Org");
    const struct {
        const char* name;
        PlatformOperation operation;  // kPlatformOperationCount: none fails
        std::string content;
    } cases[] = {
        {"attributes query fails", kOpGetFileAttributes, earlier},
        {"profile read fails", kOpReadProfileString, earlier},
        {"the backup lacks the owner key", kPlatformOperationCount, std::string("\xFF\xFE", 2)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostReset(HostFolder());
        HostWriteFile("Kestrawn.dat", c.content);
        SetOrganization(u"New Org");
        AppState* state = NewState();
        ReadCurrentUserInfo(state);
        ASSERT_EQ(state->ownerValid, 0);
        if (c.operation != kPlatformOperationCount) HostFailOperation(c.operation, 1);
        SaveBackup(state);
        EXPECT_EQ(Backup(), c.content);
        EXPECT_FALSE(HostFileExists("Kestrawn.dat.tmp"));
    }
}

TEST_F(BackupFileTest, DeletesOnlyAFile) {
    HostWriteFile("Kestrawn.dat", "x");
    DeleteBackup();
    EXPECT_FALSE(HostFileExists("Kestrawn.dat"));
    HostMakeDirectory("Kestrawn.dat");
    DeleteBackup();
    EXPECT_TRUE(HostFileExists("Kestrawn.dat"));
}

}  // namespace
