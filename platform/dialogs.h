// The dialog manager, message boxes, stock icons and painting, as the program
// uses them (user32).
#pragma once

#include "platform/platform_types.h"

// Window messages the dialogs handle or post.
const uint32_t kWmClose = 0x0010;
const uint32_t kWmPaint = 0x000F;
const uint32_t kWmEraseBackground = 0x0014;
const uint32_t kWmInitDialog = 0x0110;
const uint32_t kWmCommand = 0x0111;
const uint32_t kWmThemeChanged = 0x031A;

// Standard button ids and message-box results.
const int32_t kIdOk = 1;
const int32_t kIdCancel = 2;
const int32_t kIdYes = 6;
const int32_t kIdNo = 7;

// Message-box styles.
const uint32_t kMbOk = 0x00;
const uint32_t kMbYesNo = 0x04;
const uint32_t kMbIconHand = 0x10;
const uint32_t kMbIconQuestion = 0x20;
const uint32_t kMbIconInformation = 0x40;

// Stock icons for OsLoadStockIcon.
const uint16_t kIdiHand = 32513;
const uint16_t kIdiExclamation = 32515;
const uint16_t kIdiAsterisk = 32516;

// A dialog procedure: 0 leaves the message to the dialog manager's default
// handling, 1 marks it handled. The creation parameter of OsDialogBox arrives
// as lParam of kWmInitDialog.
typedef intptr_t (*DialogProcedure)(WindowHandle dialog, uint32_t message, uintptr_t wParam, intptr_t lParam);

// DialogBoxParamW: runs a modal dialog from a template in module's resources,
// owner disabled meanwhile. Returns the value given to OsEndDialog, or -1 when
// the dialog could not be created.
intptr_t OsDialogBox(ModuleHandle module, uint16_t templateId, WindowHandle owner, DialogProcedure procedure,
                     intptr_t creationParameter);

// EndDialog: the dialog closes once the current handler returns.
void OsEndDialog(WindowHandle dialog, intptr_t result);

void OsSetWindowText(WindowHandle window, const char16_t* text);
void OsSetDlgItemText(WindowHandle dialog, int32_t controlId, const char16_t* text);
// GetDlgItemTextW: at most capacity - 1 code units and a NUL. Returns the count.
uint32_t OsGetDlgItemText(WindowHandle dialog, int32_t controlId, char16_t* buffer, uint32_t capacity);
WindowHandle OsGetDlgItem(WindowHandle dialog, int32_t controlId);
void OsEnableWindow(WindowHandle window, bool enable);
void OsSetFocus(WindowHandle window);
// PostMessageW: handled later by the window's procedure, in order.
void OsPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// MessageBoxW: modal; returns the button pressed (kIdOk, kIdYes, kIdNo), 0 on failure.
int32_t OsMessageBox(WindowHandle owner, const char16_t* text, const char16_t* caption, uint32_t style);

// LoadIconW(NULL, id): a shared stock icon, never freed; 0 on failure.
IconHandle OsLoadStockIcon(uint16_t id);

// InvalidateRect(window, NULL, erase): the whole client area.
void OsInvalidateClient(WindowHandle window, bool erase);

// What BeginPaint fills and EndPaint takes back (PAINTSTRUCT), kept by the caller.
struct PaintRecord {
    alignas(8) unsigned char opaque[96];
};
DeviceContext OsBeginPaint(WindowHandle window, PaintRecord* paint);
void OsEndPaint(WindowHandle window, const PaintRecord* paint);
DeviceContext OsGetDC(WindowHandle window);
void OsReleaseDC(WindowHandle window, DeviceContext dc);
// DrawIcon at client position (x, y) in pixels, at the standard icon size.
void OsDrawIcon(DeviceContext dc, int32_t x, int32_t y, IconHandle icon);
