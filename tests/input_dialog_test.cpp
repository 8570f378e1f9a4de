#include "ui/input_dialog.h"

#include <algorithm>

#include "platform/dialogs.h"
#include "resources/resource.h"
#include "text/string_table.h"
#include "tests/test_machine.h"

namespace {

class InputDialogTest : public DialogTest {
  protected:
    intptr_t RunInputDialog(std::vector<UserAction> script) {
        return RunDialog(IDD_INPUT, InputDialogProc, std::move(script));
    }
};

std::u16string Smiles(int count) {
    std::u16string text;
    for (int i = 0; i < count; i++) text += u"\U0001F600";
    return text;
}

TEST_F(InputDialogTest, LengthChecksReportTheFirstFaultAndReturnTheFocus) {
    const std::u16string kShort = u"The name is not entered.";
    const std::u16string kOwnerLong = u"Enter the name within 1024 characters.";
    const std::u16string kOrganizationLong = u"Enter the organization name within 1024 characters.";
    const struct {
        const char* name;
        std::u16string owner, organization;
        std::u16string message;  // empty: accepted
        int32_t focus;
    } cases[] = {
        {"empty owner", u"", u"Org", kShort, IDC_OWNER},
        {"empty owner and long organization: only the first", u"", std::u16string(1025, u'o'), kShort, IDC_OWNER},
        {"owner 1", u"A", u"", u"", 0},
        {"owner 1024", std::u16string(1024, u'a'), std::u16string(1024, u'o'), u"", 0},
        {"owner 1025", std::u16string(1025, u'a'), u"", kOwnerLong, IDC_OWNER},
        {"owner 5000, read as 4095", std::u16string(5000, u'a'), u"", kOwnerLong, IDC_OWNER},
        {"organization 1025", u"Alice", std::u16string(1025, u'o'), kOrganizationLong, IDC_ORGANIZATION},
        {"organization 5000", u"Alice", std::u16string(5000, u'o'), kOrganizationLong, IDC_ORGANIZATION},
        {"512 surrogate pairs are 1024 units", Smiles(512), Smiles(512), u"", 0},
        {"513 surrogate pairs are too long", Smiles(513), u"", kOwnerLong, IDC_OWNER},
        {"spaces only, kept as typed", u"   ", u"  x  ", u"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        size_t boxesBefore = HostMessageBoxes().size();
        std::vector<UserAction> script = {Type(IDC_OWNER, c.owner), Type(IDC_ORGANIZATION, c.organization),
                                          Click(kIdOk)};
        if (!c.message.empty()) {
            script.push_back(Answer(kIdOk));
            script.push_back(Inspect([&c] { EXPECT_EQ(HostFocusedControl(IDD_INPUT), c.focus); }));
            script.push_back(Click(kIdCancel));
        }
        intptr_t result = RunInputDialog(script);
        if (c.message.empty()) {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(HostMessageBoxes().size(), boxesBefore);
            EXPECT_EQ(std::u16string(state->newOwner.text), c.owner);
            EXPECT_EQ(std::u16string(state->newOrganization.text), c.organization);
        } else {
            EXPECT_EQ(result, 0);
            ASSERT_EQ(HostMessageBoxes().size(), boxesBefore + 1);
            EXPECT_EQ(HostMessageBoxes().back().text, c.message);
            EXPECT_EQ(HostMessageBoxes().back().style, kMbOk | kMbIconHand);
            EXPECT_EQ(HostMessageBoxes().back().ownerTemplate, IDD_INPUT);
        }
    }
}

TEST_F(InputDialogTest, CorrectingTheOwnerThenReportsTheOrganization) {
    intptr_t result = RunInputDialog({
        Type(IDC_ORGANIZATION, std::u16string(1025, u'o')),
        Click(kIdOk),
        Answer(kIdOk),
        Type(IDC_OWNER, u"Alice"),
        Click(kIdOk),
        Answer(kIdOk),
        Type(IDC_ORGANIZATION, u"Org"),
        Click(kIdOk),
    });
    EXPECT_EQ(result, 1);
    ASSERT_EQ(HostMessageBoxes().size(), 2u);
    EXPECT_EQ(HostMessageBoxes()[0].text, u"The name is not entered.");
    EXPECT_EQ(HostMessageBoxes()[1].text, u"Enter the organization name within 1024 characters.");
}

TEST_F(InputDialogTest, PrefillsFromTheBackupWhenOneWasLoaded) {
    const struct {
        const char* name;
        bool backupLoaded;
        std::u16string owner, organization;
    } cases[] = {
        {"registry values", false, u"Current Owner", u"Current Org"},
        {"backup values win, empty ones too", true, u"", u"Backup Org"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::u16string current[2] = {u"Current Owner", u"Current Org"};
        std::u16string backup[2] = {u"", u"Backup Org"};
        std::copy(current[0].begin(), current[0].end(), state->currentOwner.text);
        std::copy(current[1].begin(), current[1].end(), state->currentOrganization.text);
        std::copy(backup[1].begin(), backup[1].end(), state->backupOrganization.text);
        state->backupLoaded = c.backupLoaded;
        RunInputDialog({
            Inspect([&c] {
                EXPECT_EQ(HostControlText(IDD_INPUT, IDC_OWNER), c.owner);
                EXPECT_EQ(HostControlText(IDD_INPUT, IDC_ORGANIZATION), c.organization);
                EXPECT_EQ(HostControlText(IDD_INPUT, IDC_LABEL_SECOND), u"&Name:");
                EXPECT_EQ(HostControlText(IDD_INPUT, IDC_LABEL_THIRD), u"&Organization:");
                EXPECT_EQ(HostFocusedControl(IDD_INPUT), 0);
            }),
            PressEscape(),
        });
    }
}

TEST_F(InputDialogTest, EveryWayOutButOkEndsWithZeroAtOnce) {
    for (UserAction way : {Click(kIdCancel), PressEscape(), CloseFromCaption()}) {
        size_t boxesBefore = HostMessageBoxes().size();
        EXPECT_EQ(RunInputDialog({Type(IDC_OWNER, u""), Click(kIdOk), Answer(kIdOk), way}), 0);
        EXPECT_EQ(HostMessageBoxes().size(), boxesBefore + 1) << "no question on the way out";
    }
}

}  // namespace
