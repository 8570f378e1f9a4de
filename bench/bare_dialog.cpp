// The start-up benchmark's baseline: a program that shows the main dialog's
// template and nothing else. Like Kestrawn, it fills control 1014 from a
// message it posts itself at initialization, so the benchmark can wait for
// both programs in the same way.
#include <windows.h>

#include "resource.h"

namespace {

const UINT kShowText = WM_APP;

INT_PTR CALLBACK BareDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        PostMessageW(dialog, kShowText, 0, 0);
        return FALSE;
    case kShowText:
        SetDlgItemTextW(dialog, IDC_STATUS_TEXT, L"Ready");
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL) PostMessageW(dialog, WM_CLOSE, 0, 0);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_MAIN), NULL, BareDialogProc, 0);
    return 0;
}
