#include "platform/dialogs.h"

#include "platform/win32/win32_text.h"

namespace {

HWND ToWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle FromWindow(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// The logic's dialog procedures use the default calling convention; the
// dialog manager calls a stdcall DLGPROC. One trampoline serves every dialog:
// the procedure travels with the creation parameter and is kept in the
// dialog's DWLP_USER slot from WM_INITDIALOG on.
struct DialogStart {
    DialogProcedure procedure;
    intptr_t creationParameter;
};

INT_PTR CALLBACK DialogTrampoline(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        const DialogStart* start = reinterpret_cast<const DialogStart*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(start->procedure));
        return start->procedure(FromWindow(window), message, wParam, start->creationParameter);
    }
    DialogProcedure procedure = reinterpret_cast<DialogProcedure>(GetWindowLongPtrW(window, DWLP_USER));
    if (procedure == nullptr) return FALSE;  // messages before WM_INITDIALOG
    return procedure(FromWindow(window), message, wParam, lParam);
}

static_assert(sizeof(PAINTSTRUCT) <= sizeof(PaintRecord), "PaintRecord holds a PAINTSTRUCT");

}  // namespace

intptr_t OsDialogBox(ModuleHandle module, uint16_t templateId, WindowHandle owner, DialogProcedure procedure,
                     intptr_t creationParameter) {
    DialogStart start = {procedure, creationParameter};
    return DialogBoxParamW(reinterpret_cast<HINSTANCE>(module), MAKEINTRESOURCEW(templateId), ToWindow(owner),
                           DialogTrampoline, reinterpret_cast<LPARAM>(&start));
}

void OsEndDialog(WindowHandle dialog, intptr_t result) { EndDialog(ToWindow(dialog), result); }

void OsSetWindowText(WindowHandle window, const char16_t* text) { SetWindowTextW(ToWindow(window), Wide(text)); }

void OsSetDlgItemText(WindowHandle dialog, int32_t controlId, const char16_t* text) {
    SetDlgItemTextW(ToWindow(dialog), controlId, Wide(text));
}

uint32_t OsGetDlgItemText(WindowHandle dialog, int32_t controlId, char16_t* buffer, uint32_t capacity) {
    return GetDlgItemTextW(ToWindow(dialog), controlId, Wide(buffer), static_cast<int>(capacity));
}

WindowHandle OsGetDlgItem(WindowHandle dialog, int32_t controlId) {
    return FromWindow(GetDlgItem(ToWindow(dialog), controlId));
}

void OsEnableWindow(WindowHandle window, bool enable) { EnableWindow(ToWindow(window), enable ? TRUE : FALSE); }

void OsSetFocus(WindowHandle window) { SetFocus(ToWindow(window)); }

void OsPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    PostMessageW(ToWindow(window), message, wParam, lParam);
}

int32_t OsMessageBox(WindowHandle owner, const char16_t* text, const char16_t* caption, uint32_t style) {
    return MessageBoxW(ToWindow(owner), Wide(text), Wide(caption), style);
}

IconHandle OsLoadStockIcon(uint16_t id) {
    return reinterpret_cast<IconHandle>(LoadIconW(nullptr, MAKEINTRESOURCEW(id)));
}

void OsInvalidateClient(WindowHandle window, bool erase) {
    InvalidateRect(ToWindow(window), nullptr, erase ? TRUE : FALSE);
}

DeviceContext OsBeginPaint(WindowHandle window, PaintRecord* paint) {
    return reinterpret_cast<DeviceContext>(BeginPaint(ToWindow(window), reinterpret_cast<PAINTSTRUCT*>(paint)));
}

void OsEndPaint(WindowHandle window, const PaintRecord* paint) {
    EndPaint(ToWindow(window), reinterpret_cast<const PAINTSTRUCT*>(paint));
}

DeviceContext OsGetDC(WindowHandle window) { return reinterpret_cast<DeviceContext>(GetDC(ToWindow(window))); }

void OsReleaseDC(WindowHandle window, DeviceContext dc) { ReleaseDC(ToWindow(window), reinterpret_cast<HDC>(dc)); }

void OsDrawIcon(DeviceContext dc, int32_t x, int32_t y, IconHandle icon) {
    DrawIcon(reinterpret_cast<HDC>(dc), x, y, reinterpret_cast<HICON>(icon));
}
