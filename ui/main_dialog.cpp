#include "ui/main_dialog.h"

#include "app/app_state.h"
#include "diagnosis/restoration.h"
#include "diagnosis/status_evaluation.h"
#include "platform/dialogs.h"
#include "resources/resource.h"
#include "sidefiles/manual_restore_script.h"
#include "text/string_table.h"
#include "ui/message_box.h"

namespace {

const int32_t kIconX = 10;  // client pixels, whatever the dialog units map to
const int32_t kIconY = 100;

AppState* gState;  // the record that arrives with the init message

void Initialize(WindowHandle dialog) {
    OsSetWindowText(dialog, LookupText(u"S_APP_NAME"));
    OsSetDlgItemText(dialog, IDC_USER_GROUP, LookupText(u"S_UI_USER"));
    OsSetDlgItemText(dialog, IDC_LABEL_FIRST, LookupText(u"S_UI_OWNER"));
    OsSetDlgItemText(dialog, IDC_LABEL_SECOND, LookupText(u"S_UI_ORGANIZATION"));
    OsSetDlgItemText(dialog, kIdOk, LookupText(u"S_UI_RESTORE"));
    OsSetDlgItemText(dialog, kIdCancel, LookupText(u"S_UI_EXIT"));
    // Nothing is evaluated yet: the verdict comes once the message loop runs.
    OsPostMessage(dialog, kWmThemeChanged, 0, 0);
}

void Refresh(WindowHandle dialog) {
    EvaluateStatus(gState);
    OsSetDlgItemText(dialog, IDC_OWNER, gState->ownerValid ? gState->currentOwner.text : LookupText(u"S_UI_BAD_VALUE"));
    OsSetDlgItemText(dialog, IDC_ORGANIZATION,
                     gState->organizationValid ? gState->currentOrganization.text : LookupText(u"S_UI_BAD_VALUE"));
    OsSetDlgItemText(dialog, IDC_STATUS_TEXT, gState->statusText.text);
    OsEnableWindow(OsGetDlgItem(dialog, kIdOk), gState->restoreEnabled != 0);
    OsInvalidateClient(dialog, true);  // the icon may have changed
}

void Restore(WindowHandle dialog) {
    if (!PerformRestore(gState, dialog)) return;  // cancelled: nothing changed
    if (gState->operationFailed) {
        WriteManualRestoreFile(gState);
        ShowMessage(dialog, kMessageError, u"S_ERR_OPERATION_FAILED");
        OsEndDialog(dialog, 0);
        return;
    }
    ShowMessage(dialog, kMessageInformation, u"S_ERR_OPERATION_SUCCEED");
    OsPostMessage(dialog, kWmThemeChanged, 0, 0);
}

// Returns 1 when the user declines to close.
intptr_t Close(WindowHandle dialog) {
    if (gState->confirmOnClose && ShowMessage(dialog, kMessageQuestion, u"S_CONFIRM_MESSAGE") != kIdYes) return 1;
    OsEndDialog(dialog, 0);
    return 0;
}

void DrawStatusIcon(DeviceContext dc) {
    if (dc != nullptr && gState->statusIcon != nullptr) OsDrawIcon(dc, kIconX, kIconY, gState->statusIcon);
}

}  // namespace

intptr_t MainDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == kWmInitDialog) {
        gState = reinterpret_cast<AppState*>(lParam);
        Initialize(dialog);
        return 0;
    }
    if (gState == nullptr) return 0;
    switch (message) {
    case kWmThemeChanged:
        Refresh(dialog);
        return 0;
    case kWmCommand:
        // The button's disabled state is not the only guard: another program
        // can post the command.
        if ((wParam & 0xFFFF) == kIdOk && gState->restoreEnabled) Restore(dialog);
        if ((wParam & 0xFFFF) == kIdCancel) OsPostMessage(dialog, kWmClose, 0, 0);
        return 0;
    case kWmClose:
        return Close(dialog);
    case kWmPaint: {
        PaintRecord paint;
        DrawStatusIcon(OsBeginPaint(dialog, &paint));
        OsEndPaint(dialog, &paint);
        return 0;
    }
    case kWmEraseBackground: {
        // The icon goes on a DC of our own, not the one the message brings.
        DeviceContext dc = OsGetDC(dialog);
        DrawStatusIcon(dc);
        if (dc != nullptr) OsReleaseDC(dialog, dc);
        return 0;
    }
    default:
        return 0;
    }
}
