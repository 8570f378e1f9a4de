#include "ui/input_dialog.h"

#include "app/app_state.h"
#include "platform/dialogs.h"
#include "resources/resource.h"
#include "text/string_table.h"
#include "text/text_util.h"
#include "ui/message_box.h"

namespace {

AppState* gState;  // the input dialog's own copy of the record's pointer

void Initialize(WindowHandle dialog) {
    OsSetWindowText(dialog, LookupText(u"S_APP_NAME"));
    OsSetDlgItemText(dialog, IDC_USER_GROUP, LookupText(u"S_UI_USER"));
    OsSetDlgItemText(dialog, IDC_LABEL_FIRST, LookupText(u"S_UI_INPUT_MESSAGE"));
    OsSetDlgItemText(dialog, IDC_LABEL_SECOND, LookupText(u"S_UI_INPUT_OWNER"));
    OsSetDlgItemText(dialog, IDC_LABEL_THIRD, LookupText(u"S_UI_INPUT_ORGANIZATION"));
    OsSetDlgItemText(dialog, kIdOk, LookupText(u"S_UI_OK"));
    OsSetDlgItemText(dialog, kIdCancel, LookupText(u"S_UI_CANCEL"));
    // The registry's values, empty unless valid; a loaded backup wins, even
    // where its values are empty.
    const AppState* state = gState;
    OsSetDlgItemText(dialog, IDC_OWNER, state->backupLoaded ? state->backupOwner.text : state->currentOwner.text);
    OsSetDlgItemText(dialog, IDC_ORGANIZATION,
                     state->backupLoaded ? state->backupOrganization.text : state->currentOrganization.text);
}

void Reject(WindowHandle dialog, const char16_t* messageKey, int32_t editId) {
    ShowMessage(dialog, kMessageError, messageKey);
    OsSetFocus(OsGetDlgItem(dialog, editId));
}

void Accept(WindowHandle dialog) {
    gState->newOwner.text[0] = 0;
    gState->newOrganization.text[0] = 0;
    OsGetDlgItemText(dialog, IDC_OWNER, gState->newOwner.text, kTextBufferLength);
    OsGetDlgItemText(dialog, IDC_ORGANIZATION, gState->newOrganization.text, kTextBufferLength);
    gState->newOwner.text[kTextBufferLength - 1] = 0;
    gState->newOrganization.text[kTextBufferLength - 1] = 0;
    uint32_t ownerLength = TextLength(gState->newOwner.text);
    if (ownerLength == 0) {
        Reject(dialog, u"S_ERR_OWN_TOSHORT", IDC_OWNER);
    } else if (ownerLength > kMaxValueLength) {
        Reject(dialog, u"S_ERR_OWN_TOLONG", IDC_OWNER);
    } else if (TextLength(gState->newOrganization.text) > kMaxValueLength) {
        Reject(dialog, u"S_ERR_ORG_TOLONG", IDC_ORGANIZATION);
    } else {
        OsEndDialog(dialog, 1);
    }
}

}  // namespace

intptr_t InputDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == kWmInitDialog) {
        gState = reinterpret_cast<AppState*>(lParam);
        Initialize(dialog);
        return 0;
    }
    if (gState == nullptr) return 0;
    if (message == kWmCommand && (wParam & 0xFFFF) == kIdOk) Accept(dialog);
    if (message == kWmCommand && (wParam & 0xFFFF) == kIdCancel) OsPostMessage(dialog, kWmClose, 0, 0);
    if (message == kWmClose) OsEndDialog(dialog, 0);
    return 0;
}
