// The input dialog (template 106): the owner and organization to write.
#pragma once

#include "platform/platform_types.h"

// The dialog procedure. lParam of the init message is the AppState. Ends with 1
// once OK found an owner of 1 to 1024 and an organization of at most 1024 code
// units, left in newOwner and newOrganization exactly as typed; with 0 on
// Cancel, Escape or closing.
intptr_t InputDialogProc(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);
