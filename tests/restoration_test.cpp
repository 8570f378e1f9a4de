// The Restore button, from the main dialog through the input dialog or the
// other sources to the registry, the messages and the manual script.
#include "diagnosis/restoration.h"

#include <unistd.h>

#include <algorithm>

#include "app/environment.h"
#include "platform/dialogs.h"
#include "resources/resource.h"
#include "sidefiles/custom_file.h"
#include "text/string_table.h"
#include "tests/test_machine.h"
#include "ui/main_dialog.h"

namespace {

const std::u16string kAbsent = u"<absent>";
const std::u16string kSuccess = u"User information successfully restored.";

class RestorationTest : public DialogTest {
  protected:
    void SetValues(const std::u16string& owner, const std::u16string& organization) {
        HostRegDeleteValue(kUserInfo, u"RegisteredOwner");
        HostRegDeleteValue(kUserInfo, u"RegisteredOrganization");
        if (owner != kAbsent) SetOwner(owner);
        if (organization != kAbsent) SetOrganization(organization);
    }
    std::string File(const std::string& name) {
        std::string bytes;
        return HostReadFile(name, &bytes) ? bytes : "<none>";
    }
};

TEST_F(RestorationTest, TheTypicalRunOnADamagedMachine) {
    SetValues(kAbsent, u"Example Ltd");
    RunMainDialog({
        Inspect([] { EXPECT_TRUE(HostFileExists("Kestrawn.dat")); }),
        Click(kIdOk),
        Inspect([] {
            EXPECT_EQ(HostControlText(IDD_INPUT, IDC_OWNER), u"") << "prefilled from the backup";
            EXPECT_EQ(HostControlText(IDD_INPUT, IDC_ORGANIZATION), u"Example Ltd");
            EXPECT_EQ(HostDialogCaption(IDD_INPUT), u"Kestrawn");
            EXPECT_EQ(HostControlText(IDD_INPUT, IDC_LABEL_FIRST), u"Enter the user information.");
        }),
        Type(IDC_OWNER, u"Alice Example"),
        Click(kIdOk),
        Inspect([] {
            // The success box comes first; the refresh waits until it is closed.
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_OWNER), u"This value should be restored.");
        }),
        Answer(kIdOk),
        Inspect([] {
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_OWNER), u"Alice Example");
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_STATUS_TEXT), u"Restoration of the user information is unnecessary.");
            EXPECT_FALSE(HostFileExists("Kestrawn.dat")) << "the backup goes once nothing is wrong";
        }),
        Click(kIdCancel),  // no confirmation any more
    });
    EXPECT_EQ(RegistryOwner(), u"Alice Example");
    EXPECT_EQ(RegistryOrganization(), u"Example Ltd");
    ASSERT_EQ(HostMessageBoxes().size(), 1u);
    EXPECT_EQ(HostMessageBoxes()[0].text, kSuccess);
    EXPECT_EQ(HostMessageBoxes()[0].style, kMbOk | kMbIconInformation);
    EXPECT_EQ(HostMessageBoxes()[0].ownerTemplate, IDD_MAIN);
    EXPECT_FALSE(HostFileExists("Kestrawn.reg"));
}

TEST_F(RestorationTest, SourceTable) {
    const struct {
        const char* name;
        bool custom, backupLoaded, fixedApplies, ownerValid, organizationValid;
        std::u16string owner, organization;
        RestoreSource source;
    } cases[] = {
        {"custom file wins", true, true, false, true, true, u"a", u"b", kRestoreFromCustomFile},
        {"backup loaded", false, true, true, false, false, u"", u"", kRestoreFromInput},
        {"no fixed values", false, false, false, false, false, u"", u"", kRestoreFromInput},
        {"a current organization", false, false, true, false, true, u"", u"Org", kRestoreFromInput},
        {"a current owner", false, false, true, true, false, u"Bob", u"", kRestoreFromInput},
        {"nothing known", false, false, true, false, false, u"", u"", kRestoreFromFixedValues},
        {"only an empty organization", false, false, true, false, true, u"", u"", kRestoreFromFixedValues},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppState* s = NewState();
        s->customLoaded = c.custom;
        s->backupLoaded = c.backupLoaded;
        s->fixedApplies = c.fixedApplies;
        s->ownerValid = c.ownerValid;
        s->organizationValid = c.organizationValid;
        std::copy(c.owner.begin(), c.owner.end(), s->currentOwner.text);
        std::copy(c.organization.begin(), c.organization.end(), s->currentOrganization.text);
        EXPECT_EQ(ChooseRestoreSource(s), c.source);
    }
    state = NewState();  // keep the fixture's record for TearDown
}

TEST_F(RestorationTest, FixedDefaultsAreWrittenWithoutAskingOnlyWhenNothingElseIsKnown) {
    const struct {
        const char* name;
        OsVersionInfo version;
        bool wow64;
        std::u16string owner, organization;
        bool inputDialog;
        std::u16string writtenOwner, writtenOrganization;
    } cases[] = {
        {"Server 2008, both missing", {2, 6, 0, 3}, false, kAbsent, kAbsent, false, u"Windows User", u""},
        {"Server 2008, empty organization only", {2, 6, 0, 3}, false, kAbsent, u"", false, u"Windows User", u""},
        {"Vista under WOW64, both missing", {2, 6, 0, 1}, true, kAbsent, kAbsent, false, u"Microsoft", u"Microsoft"},
        {"Server 2008 with an organization", {2, 6, 0, 3}, false, kAbsent, u"Org", true, u"Typed", u"Org"},
        {"XP, both missing: asks", {2, 5, 1, 1}, false, kAbsent, kAbsent, true, u"Typed", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        HostSetVersion(c.version);
        HostSetWow64(c.wow64);
        SetValues(c.owner, c.organization);
        unlink(HostPath("Kestrawn.dat").c_str());
        AppState* fresh = NewState();
        *fresh = AppState();
        fresh->isAdmin = 1;
        ASSERT_TRUE(CheckEnvironment(fresh));
        state = fresh;
        std::vector<UserAction> script = {Click(kIdOk)};
        if (c.inputDialog) {
            script.push_back(Inspect([] { EXPECT_EQ(HostControlText(IDD_INPUT, IDC_OWNER), u""); }));
            script.push_back(Type(IDC_OWNER, u"Typed"));
            script.push_back(Click(kIdOk));
        }
        script.push_back(Answer(kIdOk));
        script.push_back(Click(kIdCancel));
        int inputsBefore = HostDialogsOpened(IDD_INPUT);
        RunMainDialog(script);
        EXPECT_EQ(HostDialogsOpened(IDD_INPUT) - inputsBefore, c.inputDialog ? 1 : 0);
        EXPECT_EQ(RegistryOwner(), c.writtenOwner);
        EXPECT_EQ(RegistryOrganization(), c.writtenOrganization);
    }
}

TEST_F(RestorationTest, CancellingChangesNothing) {
    SetValues(kAbsent, u"Example Ltd");
    for (UserAction cancel : {Click(kIdCancel), PressEscape(), CloseFromCaption()}) {
        int evaluations = HostCallCount(kOpLoadStockIcon);
        RunMainDialog({
            Click(kIdOk),
            Type(IDC_OWNER, u"Not written"),
            cancel,
            Inspect([] { EXPECT_TRUE(HostDialogExists(IDD_MAIN)); }),
            Click(kIdCancel),
            Answer(kIdYes),
        });
        EXPECT_EQ(HostDialogResult(IDD_INPUT), 0);
        EXPECT_EQ(HostCallCount(kOpLoadStockIcon) - evaluations, 1) << "no refresh after cancelling";
    }
    EXPECT_EQ(HostRegValueWrites(), 0);
    ASSERT_EQ(HostMessageBoxes().size(), 3u) << "only the three confirmations";
}

TEST_F(RestorationTest, AnInputDialogThatCannotOpenCountsAsCancelled) {
    SetValues(kAbsent, u"Example Ltd");
    HostFailOperation(kOpDialogBox, 2);  // the first is the main dialog
    RunMainDialog({Click(kIdOk), Click(kIdCancel), Answer(kIdYes)});
    EXPECT_EQ(HostRegValueWrites(), 0);
    EXPECT_EQ(HostMessageBoxes().size(), 1u);
    EXPECT_FALSE(HostFileExists("Kestrawn.reg"));
}

TEST_F(RestorationTest, AFailedWriteLeavesTheScriptAndEndsTheDialog) {
    const std::u16string kFailed =
        u"Failed to restore the user information.\r\nManual restoration file \"Kestrawn.reg\" has been "
        u"generated.\r\nDouble-click this file, run the utility again, and then confirm whether the user information "
        u"has been restored.";
    const struct {
        const char* name;
        int failingWrite;  // 1: the owner, 2: the organization
        std::u16string ownerAfter, organizationAfter;
    } cases[] = {
        {"owner refused: organization untouched", 1, kAbsent, u"Example Ltd"},
        {"organization refused: owner written", 2, u"New \"Owner\"", u"Example Ltd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SetValues(kAbsent, u"Example Ltd");
        AppState* fresh = NewState();
        fresh->isAdmin = 1;
        state = fresh;
        HostFailOperation(kOpRegSetValue, c.failingWrite);
        RunMainDialog({
            Click(kIdOk),
            Type(IDC_OWNER, u"New \"Owner\""),
            Type(IDC_ORGANIZATION, u"New Org"),
            Click(kIdOk),
            Answer(kIdOk),  // the failure box; no confirmation follows
        });
        EXPECT_EQ(RegistryOwner(), c.ownerAfter);
        EXPECT_EQ(RegistryOrganization(), c.organizationAfter);
        EXPECT_EQ(state->operationFailed, 1);
        const HostMessageBox& box = HostMessageBoxes().back();
        EXPECT_EQ(box.text, kFailed);
        EXPECT_EQ(box.style, kMbOk | kMbIconHand);
        EXPECT_EQ(HostDialogResult(IDD_MAIN), 0);
        EXPECT_EQ(File("Kestrawn.reg"),
                  std::string("\xFF\xFE", 2) +
                      Utf16Bytes(u"Windows Registry Editor Version 5.00\r\n\r\n"
                                 u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
                                 u"\"RegisteredOwner\"=\"New \\\"Owner\\\"\"\r\n"
                                 u"\"RegisteredOrganization\"=\"New Org\"\r\n"));
    }
}

TEST_F(RestorationTest, AScriptThatCannotBeWrittenStillShowsTheFailure) {
    HostMakeDirectory("Kestrawn.reg");
    HostFailOperation(kOpRegSetValue, 1);
    RunMainDialog({Click(kIdOk), Type(IDC_OWNER, u"X"), Click(kIdOk), Answer(kIdOk)});
    EXPECT_EQ(HostMessageBoxes().back().style, kMbOk | kMbIconHand);
    EXPECT_EQ(HostDialogResult(IDD_MAIN), 0);
}

TEST_F(RestorationTest, ACustomFileIsWrittenAtEveryPressWithoutAsking) {
    HostWriteFile("Kestrawn.ini", "[CUSTOM_RESTORE_INFO]\r\nRegisteredOwner=Custom Owner\r\n");
    HostWriteFile("Kestrawn.dat", "[RESTORE_INFO]\r\nRegisteredOwner=\"From backup\"\r\n");
    SetValues(u"Sound Owner", u"Sound Org");
    ASSERT_TRUE(LoadCustomInfo(state));
    RunMainDialog({Click(kIdOk), Answer(kIdOk), Click(kIdOk), Answer(kIdOk), Click(kIdCancel)});
    EXPECT_EQ(HostDialogsOpened(IDD_INPUT), 0);
    EXPECT_EQ(RegistryOwner(), u"Custom Owner");
    EXPECT_EQ(RegistryOrganization(), u"");
    EXPECT_EQ(HostRegValueWrites(), 4);
    EXPECT_EQ(state->backupLoaded, 0);
}

}  // namespace
