#include "diagnosis/status_evaluation.h"

#include "platform/dialogs.h"
#include "text/string_table.h"
#include "tests/test_machine.h"

namespace {

const char16_t kConfigKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{6E31A5C2-0B7D-4F48-9A16-3D27C8E4B950}";
const char16_t kSetupKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A4D2917E-58C3-4B06-B7E1-0F62C93D4A18}";

std::string BackupBytes(const std::u16string& owner, const std::u16string& organization) {
    return std::string("\xFF\xFE", 2) + Utf16Bytes(u"[RESTORE_INFO]\r\nRegisteredOwner = \"" + owner +
                                                   u"\"\r\nRegisteredOrganization = \"" + organization + u"\"\r\n");
}

const std::u16string kAbsent = u"<absent>";
const std::string kEarlier = BackupBytes(u"Earlier Owner", u"Earlier Org");
const char* const kDeleted = "<deleted>";

class StatusEvaluationTest : public MachineTest {};

TEST_F(StatusEvaluationTest, VerdictTable) {
    const struct {
        const char* name;
        bool admin;
        const char16_t* config;  // installed version, or null
        const char16_t* setup;
        std::u16string owner, organization;
        bool custom;
        const char16_t* key;
        std::u16string lines;  // appended after the status text
        uint16_t icon;
        uint8_t restore, confirm, loaded;
        std::string backupAfter;  // the earlier backup exists before each row
    } cases[] = {
        {"sound", true, nullptr, nullptr, u"Alice", u"Org", false, u"S_STAT_NOERROR", u"", kIdiAsterisk, 1, 0, 0,
         kDeleted},
        {"empty organization is sound", true, u"2.0", nullptr, u"Alice", u"", false, u"S_STAT_NOERROR", u"",
         kIdiAsterisk, 1, 0, 0, kDeleted},
        {"owner missing", true, nullptr, nullptr, kAbsent, u"Org", false, u"S_STAT_BAD_REGISTRY", u"", kIdiHand, 1,
         1, 1, BackupBytes(u"Earlier Owner", u"Org")},
        {"both missing", true, nullptr, nullptr, kAbsent, kAbsent, false, u"S_STAT_BAD_REGISTRY", u"", kIdiHand, 1, 1,
         1, kEarlier},
        {"owner missing, empty organization", true, nullptr, nullptr, kAbsent, u"", false, u"S_STAT_BAD_REGISTRY",
         u"", kIdiHand, 1, 1, 1, kEarlier},
        {"custom file: saved, not loaded", true, nullptr, nullptr, u"", u"Org", true, u"S_STAT_BAD_REGISTRY", u"",
         kIdiHand, 1, 1, 0, BackupBytes(u"Earlier Owner", u"Org")},
        {"affected setup, sound", true, nullptr, u"3.0a", u"Alice", u"Org", false, u"S_STAT_BAD_INSTALL",
         u"\r\n    Brasko Setup", kIdiHand, 0, 0, 0, BackupBytes(u"Alice", u"Org")},
        {"both affected, damaged", true, u"3.1b", u"3.0a", u"Alice", kAbsent, false, u"S_STAT_BAD_REG_INST",
         u"\r\n    Brasko Config\r\n    Brasko Setup", kIdiHand, 0, 0, 0, BackupBytes(u"Alice", u"Earlier Org")},
        {"affected config, nothing to keep", true, u"3.0a", nullptr, kAbsent, kAbsent, false,
         u"S_STAT_BAD_REG_INST", u"\r\n    Brasko Config", kIdiHand, 0, 0, 0, kEarlier},
        {"user, sound", false, nullptr, nullptr, u"Alice", u"Org", false, u"S_STAT_BAD_USER", u"", kIdiExclamation,
         0, 0, 0, kDeleted},
        {"user, damaged", false, nullptr, nullptr, u"Alice", kAbsent, false, u"S_STAT_BAD_REG_USER", u"", kIdiHand,
         0, 0, 0, BackupBytes(u"Alice", u"Earlier Org")},
        {"user, affected: no product lines", false, u"3.2a", u"3.0a", u"Alice", u"Org", false,
         u"S_STAT_BAD_INST_USER", u"", kIdiHand, 0, 0, 0, BackupBytes(u"Alice", u"Org")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostReset(HostFolder());
        HostWriteFile("Kestrawn.dat", kEarlier);
        if (c.config) HostRegSetString(kConfigKey, u"DisplayVersion", c.config);
        if (c.setup) HostRegSetString(kSetupKey, u"DisplayVersion", c.setup);
        if (c.owner != kAbsent) SetOwner(c.owner);
        if (c.organization != kAbsent) SetOrganization(c.organization);
        AppState* state = NewState();
        ExtractTable(state);
        state->isAdmin = c.admin;
        state->customLoaded = c.custom;
        state->backupLoaded = 1;
        EvaluateStatus(state);

        EXPECT_EQ(std::u16string(state->statusText.text), std::u16string(LookupText(c.key)) + c.lines);
        EXPECT_EQ(state->statusIcon, reinterpret_cast<IconHandle>(static_cast<uintptr_t>(c.icon)));
        EXPECT_EQ(state->restoreEnabled, c.restore);
        EXPECT_EQ(state->confirmOnClose, c.confirm);
        EXPECT_EQ(state->backupLoaded, c.loaded);
        std::string backup;
        EXPECT_EQ(HostReadFile("Kestrawn.dat", &backup) ? backup : kDeleted, c.backupAfter);
        if (c.loaded) {
            // What was loaded is what the file holds now.
            EXPECT_EQ(BackupBytes(state->backupOwner.text, state->backupOrganization.text), c.backupAfter);
        }
        RemoveStringTable(state);
    }
}

TEST_F(StatusEvaluationTest, TheOverviewsDamagedMachineSavesAnEmptyOwnerAndReadsItBack) {
    HostRegDeleteValue(kUserInfo, u"RegisteredOwner");
    AppState* state = NewState();
    ExtractTable(state);
    state->isAdmin = 1;
    EvaluateStatus(state);
    std::string backup;
    ASSERT_TRUE(HostReadFile("Kestrawn.dat", &backup));
    EXPECT_EQ(backup, BackupBytes(u"", u"Example Ltd"));
    EXPECT_EQ(state->backupLoaded, 1);
    EXPECT_EQ(std::u16string(state->backupOwner.text), u"");
    EXPECT_EQ(std::u16string(state->backupOrganization.text), u"Example Ltd");
    RemoveStringTable(state);
}

TEST_F(StatusEvaluationTest, FailuresLeaveTheVerdictAsChosen) {
    HostWriteFile("Kestrawn.dat", kEarlier);
    AppState* state = NewState();
    ExtractTable(state);
    state->isAdmin = 1;
    HostFailOperation(kOpLoadStockIcon, 1);
    HostFailOperation(kOpDeleteFile, 1);
    EvaluateStatus(state);
    EXPECT_EQ(state->statusIcon, nullptr);
    EXPECT_EQ(std::u16string(state->statusText.text), u"Restoration of the user information is unnecessary.");
    EXPECT_EQ(state->restoreEnabled, 1);
    EXPECT_TRUE(HostFileExists("Kestrawn.dat"));
    RemoveStringTable(state);
}

TEST(ChooseVerdictTest, RestoreNeedsAnAdministratorAndConfirmationNeedsRestore) {
    for (int admin = 0; admin < 2; admin++) {
        for (int affected = 0; affected < 2; affected++) {
            for (int damaged = 0; damaged < 2; damaged++) {
                Verdict verdict = ChooseVerdict(admin, affected, damaged);
                EXPECT_TRUE(!verdict.restoreEnabled || admin);
                EXPECT_TRUE(!verdict.confirmOnClose || verdict.restoreEnabled);
                EXPECT_EQ(verdict.problem, affected || damaged);
            }
        }
    }
}

}  // namespace
