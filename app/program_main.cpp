#include "app/program_main.h"

#include "app/app_state.h"
#include "app/environment.h"
#include "platform/dialogs.h"
#include "platform/process.h"
#include "resources/resource.h"
#include "sidefiles/custom_file.h"
#include "text/string_table.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"

namespace {

// Everything after the string table is in place; the caller removes it.
void RunWithStringTable(ModuleHandle instance, AppState* state) {
    if (!CheckEnvironment(state)) {
        ShowMessage(nullptr, kMessageError, u"S_ERR_UNSUPPORTED_OS");
        return;
    }
    // A user without administrator rights still gets the dialog, with
    // restoring disabled.
    DetectAdministrator(state);
    if (!LoadCustomInfo(state)) {
        ShowMessage(nullptr, kMessageError, u"S_ERR_FILEREAD_FAILED");
        return;
    }
    OsDialogBox(instance, IDD_MAIN, nullptr, MainDialogProc, reinterpret_cast<intptr_t>(state));
}

}  // namespace

int ProgramMain(ModuleHandle instance, ModuleHandle, const char16_t*, int) {
    // The handle is never closed: the system frees the mutex with the process,
    // and until then a second start in this logon session ends right here.
    OsCreateMutex(true, u"Kestrawn");
    if (OsGetLastError() == kErrorAlreadyExists) return 0;

    AppState state = {};
    ExtractStringTable(&state);
    // Without the string table there is no text to show: end silently.
    if (!state.operationFailed) RunWithStringTable(instance, &state);
    RemoveStringTable(&state);
    return 0;
}
