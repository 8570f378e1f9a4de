#include "diagnosis/restoration.h"

#include "platform/dialogs.h"
#include "platform/process.h"
#include "registry/user_info.h"
#include "resources/resource.h"
#include "text/text_util.h"
#include "ui/input_dialog.h"

RestoreSource ChooseRestoreSource(const AppState* state) {
    if (state->customLoaded) return kRestoreFromCustomFile;
    bool someValid = state->ownerValid || state->organizationValid;
    bool someText = state->currentOwner.text[0] != 0 || state->currentOrganization.text[0] != 0;
    if (state->backupLoaded || !state->fixedApplies || (someValid && someText)) return kRestoreFromInput;
    return kRestoreFromFixedValues;
}

bool PerformRestore(AppState* state, WindowHandle mainDialog) {
    switch (ChooseRestoreSource(state)) {
    case kRestoreFromCustomFile:
        break;
    case kRestoreFromInput: {
        intptr_t result = OsDialogBox(OsGetModuleHandle(nullptr), IDD_INPUT, mainDialog, InputDialogProc,
                                      reinterpret_cast<intptr_t>(state));
        // Only an accepted OK (1) brings values; a dialog that could not be
        // opened counts as cancelled.
        if (result != 1) return false;
        break;
    }
    case kRestoreFromFixedValues:
        TextCopy(state->newOwner.text, kTextBufferLength, state->fixedOwner.text);
        TextCopy(state->newOrganization.text, kTextBufferLength, state->fixedOrganization.text);
        break;
    }
    if (!WriteUserInfoValue(state->newOwner.text, kOwnerValueName)) {
        state->operationFailed = 1;
        return true;
    }
    if (!WriteUserInfoValue(state->newOrganization.text, kOrganizationValueName)) state->operationFailed = 1;
    return true;
}
