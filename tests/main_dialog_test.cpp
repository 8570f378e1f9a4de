#include "ui/main_dialog.h"

#include "platform/dialogs.h"
#include "resources/resource.h"
#include "text/string_table.h"
#include "tests/test_machine.h"

namespace {

class MainDialogTest : public DialogTest {};

const std::u16string kBadValue = u"This value should be restored.";
const std::u16string kConfirm =
    u"The restoration of the user information has not been completed.\r\nDo you want to exit this utility?";

TEST_F(MainDialogTest, ShowsTheVerdictRightAfterOpeningWithoutTakingTheFocus) {
    intptr_t result = RunMainDialog({
        Inspect([] {
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_OWNER), u"Alice Example");
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_ORGANIZATION), u"Example Ltd");
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_STATUS_TEXT), u"Restoration of the user information is unnecessary.");
            EXPECT_TRUE(HostControlEnabled(IDD_MAIN, kIdOk));
            EXPECT_EQ(HostFocusedControl(IDD_MAIN), 0);
        }),
        Click(kIdCancel),
    });
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(HostMessageBoxes().empty()) << "no confirmation on a sound machine";
    // The icon goes at (10, 100) in the erase phase (on a DC of its own) and in the paint phase.
    bool erased = false, painted = false;
    for (const HostIconDrawing& drawing : HostIconDrawings()) {
        EXPECT_EQ(drawing.dialogTemplate, IDD_MAIN);
        EXPECT_EQ(drawing.x, 10);
        EXPECT_EQ(drawing.y, 100);
        EXPECT_EQ(drawing.icon, kIdiAsterisk);
        (drawing.duringPaint ? painted : erased) = true;
    }
    EXPECT_TRUE(erased);
    EXPECT_TRUE(painted);
}

TEST_F(MainDialogTest, InvalidValuesShowTheNoticeAndEveryWayOfClosingAsksFirst) {
    HostRegDeleteValue(kUserInfo, u"RegisteredOwner");
    const struct {
        const char* name;
        UserAction close;
    } ways[] = {{"Quit", Click(kIdCancel)}, {"Escape", PressEscape()}, {"caption", CloseFromCaption()}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        size_t boxesBefore = HostMessageBoxes().size();
        intptr_t result = RunMainDialog({
            Inspect([] {
                EXPECT_EQ(HostControlText(IDD_MAIN, IDC_OWNER), kBadValue);
                EXPECT_EQ(HostControlText(IDD_MAIN, IDC_ORGANIZATION), u"Example Ltd");
                EXPECT_EQ(HostControlText(IDD_MAIN, IDC_STATUS_TEXT),
                          u"User information on this computer should be restored.");
            }),
            way.close,
            Answer(kIdNo),
            Inspect([] { EXPECT_TRUE(HostDialogExists(IDD_MAIN)); }),
            way.close,
            Answer(kIdYes),
        });
        EXPECT_EQ(result, 0);
        ASSERT_EQ(HostMessageBoxes().size(), boxesBefore + 2) << "asked again after No";
        const HostMessageBox& box = HostMessageBoxes().back();
        EXPECT_EQ(box.text, kConfirm);
        EXPECT_EQ(box.caption, u"Kestrawn");
        EXPECT_EQ(box.style, kMbYesNo | kMbIconQuestion);
        EXPECT_EQ(box.ownerTemplate, IDD_MAIN);
    }
}

TEST_F(MainDialogTest, AnOrganizationThatIsMissingShowsTheNotice) {
    HostRegDeleteValue(kUserInfo, u"RegisteredOrganization");
    SetOwner(u"Bob");
    RunMainDialog({
        Inspect([] {
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_OWNER), u"Bob");
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_ORGANIZATION), kBadValue);
        }),
        Click(kIdCancel),
        Answer(kIdYes),
    });
}

TEST_F(MainDialogTest, ADisabledRestoreCannotBeTriggeredEvenByAPostedCommand) {
    state->isAdmin = 0;
    HostRegDeleteValue(kUserInfo, u"RegisteredOwner");
    RunMainDialog({
        Inspect([] {
            EXPECT_FALSE(HostControlEnabled(IDD_MAIN, kIdOk));
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_STATUS_TEXT).substr(0, 53),
                      u"User information on this computer should be restored.");
        }),
        Click(kIdOk),
        PostFromOutside(kWmCommand, kIdOk),
        Click(kIdCancel),  // no confirmation without the right to restore
    });
    EXPECT_EQ(HostRefusedClicks(), std::vector<std::string>{"102:1"});
    EXPECT_EQ(HostDialogsOpened(IDD_INPUT), 0);
    EXPECT_EQ(HostRegValueWrites(), 0);
    EXPECT_TRUE(HostMessageBoxes().empty());
}

TEST_F(MainDialogTest, AThemeChangeEvaluatesAgain) {
    RunMainDialog({
        Inspect([] { HostRegDeleteValue(kUserInfo, u"RegisteredOwner"); }),
        ThemeChanged(),
        Inspect([] {
            EXPECT_EQ(HostControlText(IDD_MAIN, IDC_OWNER), kBadValue);
            EXPECT_TRUE(HostFileExists("Kestrawn.dat")) << "the backup follows the new verdict";
        }),
        Click(kIdCancel),
        Answer(kIdYes),
    });
    bool handDrawn = false;
    for (const HostIconDrawing& drawing : HostIconDrawings()) handDrawn = handDrawn || drawing.icon == kIdiHand;
    EXPECT_TRUE(handDrawn) << "the new icon was painted";
}

TEST_F(MainDialogTest, NoIconNoDrawing) {
    HostFailOperation(kOpLoadStockIcon, 1, true);
    RunMainDialog({Click(kIdCancel)});
    EXPECT_TRUE(HostIconDrawings().empty());
    EXPECT_EQ(HostControlText(IDD_MAIN, IDC_STATUS_TEXT), u"Restoration of the user information is unnecessary.");
}

}  // namespace
