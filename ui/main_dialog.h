// The main dialog (template 102): the current values, the verdict as text and
// icon, Restore and Quit.
#pragma once

#include "platform/platform_types.h"

// The dialog procedure. lParam of the init message is the AppState, kept for
// the dialog's life. The verdict arrives with the refresh message
// (WM_THEMECHANGED) that initialization posts; a theme change refreshes too.
intptr_t MainDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);
