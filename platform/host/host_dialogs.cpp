// A small dialog manager and a scripted user.
//
// Dialogs run modally with a shared queue of posted messages, handled in order
// after the current handler returns, then painting, and only when nothing else
// is pending does the script's next user action happen, to the topmost open
// dialog. Message boxes take their answer from the script.
#include <deque>
#include <memory>

#include "platform/dialogs.h"
#include "platform/host/host_internal.h"
#include "platform/host/host_machine.h"

namespace {

struct HostDialog;

// Dialogs and their controls share one header so that a WindowHandle can name either.
struct HostWindow {
    HostDialog* dialog;  // the dialog itself, or the control's parent
    int32_t controlId;   // 0 for the dialog
    bool enabled = true;
    std::u16string text;
};

struct HostDialog {
    HostWindow window;
    int templateId;
    DialogProcedure procedure;
    HostDialog* owner;
    std::deque<HostWindow> controls;
    bool open = true;
    bool ended = false;
    intptr_t result = 0;
    int32_t focus = 0;
    bool needsPaint = true;  // a new dialog paints and erases once shown
    bool needsErase = true;
};

struct DeviceContextRecord {
    HostDialog* dialog;
    bool duringPaint;
};

struct Posted {
    HostWindow* window;
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

struct DialogManager {
    std::deque<std::unique_ptr<HostDialog>> dialogs;  // every dialog of the test, open or ended
    std::deque<Posted> queue;
    std::deque<UserAction> script;
    std::vector<std::string> errors;
    std::vector<HostMessageBox> boxes;
    std::vector<HostIconDrawing> drawings;
    std::vector<std::string> refusedClicks;
    std::deque<DeviceContextRecord> deviceContexts;
};

DialogManager& Manager() {
    static DialogManager manager;
    return manager;
}

// The controls of the two templates, in template order.
const int32_t kMainControls[] = {1, 2, 1009, 1010, 1001, 1011, 1002, 1014, 0};
const int32_t kInputControls[] = {1009, 1010, 1011, 1001, 1012, 1002, 1, 2, 0};

WindowHandle Handle(HostWindow* window) { return reinterpret_cast<WindowHandle>(window); }
HostWindow* Window(WindowHandle handle) { return reinterpret_cast<HostWindow*>(handle); }

HostWindow* FindControl(HostDialog* dialog, int32_t id) {
    for (HostWindow& control : dialog->controls) {
        if (control.controlId == id) return &control;
    }
    return nullptr;
}

HostDialog* TopDialog() {
    for (auto it = Manager().dialogs.rbegin(); it != Manager().dialogs.rend(); ++it) {
        if ((*it)->open) return it->get();
    }
    return nullptr;
}

HostDialog* FindDialog(int templateId) {
    HostDialog* found = nullptr;
    for (auto& dialog : Manager().dialogs) {
        if (dialog->templateId != templateId) continue;
        if (dialog->open) return dialog.get();
        found = dialog.get();
    }
    return found;
}

intptr_t Send(HostDialog* dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    intptr_t result = dialog->procedure(Handle(&dialog->window), message, wParam, lParam);
    // The default handling of WM_CLOSE clicks Cancel: it posts command 2.
    if (message == kWmClose && result == 0 && !dialog->ended) {
        Manager().queue.push_back({&dialog->window, kWmCommand, static_cast<uintptr_t>(kIdCancel), 0});
    }
    return result;
}

void Paint(HostDialog* dialog) {
    Send(dialog, kWmPaint, 0, 0);
    // Whether or not the handler called BeginPaint, the window is valid now.
    dialog->needsPaint = false;
    dialog->needsErase = false;
}

std::string Describe(HostDialog* dialog, int32_t id) {
    return std::to_string(dialog->templateId) + ":" + std::to_string(id);
}

void PerformAction(HostDialog* dialog, UserAction& action) {
    switch (action.kind) {
    case UserAction::kClick: {
        HostWindow* control = FindControl(dialog, action.id);
        if (control == nullptr || !control->enabled || !dialog->window.enabled) {
            Manager().refusedClicks.push_back(Describe(dialog, action.id));
            return;
        }
        Send(dialog, kWmCommand, static_cast<uintptr_t>(action.id), 0);
        return;
    }
    case UserAction::kType: {
        HostWindow* control = FindControl(dialog, action.id);
        if (control != nullptr) control->text = action.text;
        return;
    }
    case UserAction::kEscape:
        Send(dialog, kWmCommand, static_cast<uintptr_t>(kIdCancel), 0);
        return;
    case UserAction::kCloseFromCaption:
        Send(dialog, kWmClose, 0, 0);
        return;
    case UserAction::kPost:
        Manager().queue.push_back({&dialog->window, action.message, action.wParam, 0});
        return;
    case UserAction::kThemeChanged:
        for (auto& each : Manager().dialogs) {
            if (each->open) Manager().queue.push_back({&each->window, kWmThemeChanged, 0, 0});
        }
        return;
    case UserAction::kInspect:
        action.inspect();
        return;
    case UserAction::kAnswer:
        Manager().errors.push_back("an answer to a message box came while none was shown, in dialog " +
                                   std::to_string(dialog->templateId));
        return;
    }
}

// Runs until the dialog has ended: posted messages, then painting, then the user.
void RunModal(HostDialog* dialog) {
    DialogManager& manager = Manager();
    while (!dialog->ended) {
        if (!manager.queue.empty()) {
            Posted posted = manager.queue.front();
            manager.queue.pop_front();
            if (posted.window->dialog->open && !posted.window->dialog->ended) {
                Send(posted.window->dialog, posted.message, posted.wParam, posted.lParam);
            }
            continue;
        }
        HostDialog* dirty = nullptr;
        for (auto& each : manager.dialogs) {
            if (each->open && !each->ended && each->needsPaint) dirty = each.get();
        }
        if (dirty != nullptr) {
            Paint(dirty);
            continue;
        }
        if (manager.script.empty()) {
            manager.errors.push_back("the script ran out while dialog " + std::to_string(dialog->templateId) +
                                     " waited for the user");
            dialog->ended = true;
            dialog->result = -1;
            break;
        }
        UserAction action = manager.script.front();
        manager.script.pop_front();
        PerformAction(TopDialog(), action);
    }
}

}  // namespace

void HostResetDialogs() { Manager() = DialogManager(); }

// ---- The script ----

UserAction Click(int32_t controlId) { return {UserAction::kClick, controlId, {}, 0, 0, {}}; }
UserAction Type(int32_t controlId, const std::u16string& text) { return {UserAction::kType, controlId, text, 0, 0, {}}; }
UserAction PressEscape() { return {UserAction::kEscape, 0, {}, 0, 0, {}}; }
UserAction CloseFromCaption() { return {UserAction::kCloseFromCaption, 0, {}, 0, 0, {}}; }
UserAction Answer(int32_t button) { return {UserAction::kAnswer, button, {}, 0, 0, {}}; }
UserAction PostFromOutside(uint32_t message, uintptr_t wParam) { return {UserAction::kPost, 0, {}, message, wParam, {}}; }
UserAction ThemeChanged() { return {UserAction::kThemeChanged, 0, {}, 0, 0, {}}; }
UserAction Inspect(std::function<void()> checks) { return {UserAction::kInspect, 0, {}, 0, 0, std::move(checks)}; }

void HostSetScript(std::vector<UserAction> actions) {
    Manager().script.assign(actions.begin(), actions.end());
}

const std::vector<std::string>& HostScriptErrors() { return Manager().errors; }
const std::vector<HostMessageBox>& HostMessageBoxes() { return Manager().boxes; }
const std::vector<HostIconDrawing>& HostIconDrawings() { return Manager().drawings; }
std::vector<std::string> HostRefusedClicks() { return Manager().refusedClicks; }

bool HostDialogExists(int templateId) { return FindDialog(templateId) != nullptr; }

std::u16string HostDialogCaption(int templateId) {
    HostDialog* dialog = FindDialog(templateId);
    return dialog == nullptr ? u"" : dialog->window.text;
}

std::u16string HostControlText(int templateId, int32_t controlId) {
    HostDialog* dialog = FindDialog(templateId);
    HostWindow* control = dialog == nullptr ? nullptr : FindControl(dialog, controlId);
    return control == nullptr ? u"" : control->text;
}

bool HostControlEnabled(int templateId, int32_t controlId) {
    HostDialog* dialog = FindDialog(templateId);
    HostWindow* control = dialog == nullptr ? nullptr : FindControl(dialog, controlId);
    return control != nullptr && control->enabled;
}

int32_t HostFocusedControl(int templateId) {
    HostDialog* dialog = FindDialog(templateId);
    return dialog == nullptr ? 0 : dialog->focus;
}

intptr_t HostDialogResult(int templateId) {
    HostDialog* dialog = FindDialog(templateId);
    return dialog == nullptr ? 0 : dialog->result;
}

int HostDialogsOpened(int templateId) {
    int count = 0;
    for (auto& dialog : Manager().dialogs) count += dialog->templateId == templateId ? 1 : 0;
    return count;
}

// ---- The platform operations ----

intptr_t OsDialogBox(ModuleHandle, uint16_t templateId, WindowHandle owner, DialogProcedure procedure,
                     intptr_t creationParameter) {
    if (HostOperationFails(kOpDialogBox)) return -1;
    const int32_t* ids = templateId == 102 ? kMainControls : templateId == 106 ? kInputControls : nullptr;
    if (ids == nullptr) return -1;
    DialogManager& manager = Manager();
    manager.dialogs.push_back(std::make_unique<HostDialog>());
    HostDialog* dialog = manager.dialogs.back().get();
    dialog->window.dialog = dialog;
    dialog->window.controlId = 0;
    dialog->templateId = templateId;
    dialog->procedure = procedure;
    dialog->owner = owner == nullptr ? nullptr : Window(owner)->dialog;
    for (; *ids != 0; ids++) dialog->controls.push_back(HostWindow{dialog, *ids, true, u""});

    if (dialog->owner != nullptr) dialog->owner->window.enabled = false;
    Send(dialog, kWmInitDialog, 0, creationParameter);
    RunModal(dialog);
    dialog->open = false;
    if (dialog->owner != nullptr) dialog->owner->window.enabled = true;
    return dialog->result;
}

void OsEndDialog(WindowHandle dialog, intptr_t result) {
    if (HostOperationFails(kOpEndDialog)) return;
    HostDialog* ending = Window(dialog)->dialog;
    ending->ended = true;
    ending->result = result;
}

void OsSetWindowText(WindowHandle window, const char16_t* text) {
    if (HostOperationFails(kOpSetWindowText)) return;
    Window(window)->text = text;
}

void OsSetDlgItemText(WindowHandle dialog, int32_t controlId, const char16_t* text) {
    if (HostOperationFails(kOpSetDlgItemText)) return;
    HostWindow* control = FindControl(Window(dialog)->dialog, controlId);
    if (control != nullptr) control->text = text;
}

uint32_t OsGetDlgItemText(WindowHandle dialog, int32_t controlId, char16_t* buffer, uint32_t capacity) {
    if (capacity == 0) return 0;
    buffer[0] = 0;
    if (HostOperationFails(kOpGetDlgItemText)) return 0;
    HostWindow* control = FindControl(Window(dialog)->dialog, controlId);
    if (control == nullptr) return 0;
    uint32_t count = 0;
    for (; count < control->text.size() && count + 1 < capacity; count++) buffer[count] = control->text[count];
    buffer[count] = 0;
    return count;
}

WindowHandle OsGetDlgItem(WindowHandle dialog, int32_t controlId) {
    if (HostOperationFails(kOpGetDlgItem)) return nullptr;
    return Handle(FindControl(Window(dialog)->dialog, controlId));
}

void OsEnableWindow(WindowHandle window, bool enable) {
    if (HostOperationFails(kOpEnableWindow) || window == nullptr) return;
    Window(window)->enabled = enable;
}

void OsSetFocus(WindowHandle window) {
    if (HostOperationFails(kOpSetFocus) || window == nullptr) return;
    Window(window)->dialog->focus = Window(window)->controlId;
}

void OsPostMessage(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (HostOperationFails(kOpPostMessage) || window == nullptr) return;
    Manager().queue.push_back({Window(window), message, wParam, lParam});
}

int32_t OsMessageBox(WindowHandle owner, const char16_t* text, const char16_t* caption, uint32_t style) {
    if (HostOperationFails(kOpMessageBox)) return 0;
    DialogManager& manager = Manager();
    int ownerTemplate = owner == nullptr ? 0 : Window(owner)->dialog->templateId;
    manager.boxes.push_back({ownerTemplate, text, caption, style});
    int32_t fallback = (style & 0x0F) == kMbYesNo ? kIdNo : kIdOk;
    // Checks the test wants to make while the box is up run first.
    while (!manager.script.empty() && manager.script.front().kind == UserAction::kInspect) {
        UserAction inspect = manager.script.front();
        manager.script.pop_front();
        inspect.inspect();
    }
    if (manager.script.empty() || manager.script.front().kind != UserAction::kAnswer) {
        manager.errors.push_back("a message box was shown but the script has no answer next: " + Utf16ToUtf8(text));
        return fallback;
    }
    int32_t answer = manager.script.front().id;
    manager.script.pop_front();
    return answer;
}

IconHandle OsLoadStockIcon(uint16_t id) {
    if (HostOperationFails(kOpLoadStockIcon)) return nullptr;
    return reinterpret_cast<IconHandle>(static_cast<uintptr_t>(id));
}

void OsInvalidateClient(WindowHandle window, bool erase) {
    if (HostOperationFails(kOpInvalidateClient) || window == nullptr) return;
    HostDialog* dialog = Window(window)->dialog;
    dialog->needsPaint = true;
    dialog->needsErase = dialog->needsErase || erase;
}

DeviceContext OsBeginPaint(WindowHandle window, PaintRecord*) {
    if (HostOperationFails(kOpBeginPaint)) return nullptr;
    HostDialog* dialog = Window(window)->dialog;
    if (dialog->needsErase) {
        dialog->needsErase = false;
        Manager().deviceContexts.push_back({dialog, true});
        Send(dialog, kWmEraseBackground, reinterpret_cast<uintptr_t>(&Manager().deviceContexts.back()), 0);
    }
    Manager().deviceContexts.push_back({dialog, true});
    return reinterpret_cast<DeviceContext>(&Manager().deviceContexts.back());
}

void OsEndPaint(WindowHandle window, const PaintRecord*) {
    if (HostOperationFails(kOpEndPaint)) return;
    Window(window)->dialog->needsPaint = false;
}

DeviceContext OsGetDC(WindowHandle window) {
    if (HostOperationFails(kOpGetDC)) return nullptr;
    Manager().deviceContexts.push_back({Window(window)->dialog, false});
    return reinterpret_cast<DeviceContext>(&Manager().deviceContexts.back());
}

void OsReleaseDC(WindowHandle, DeviceContext) { HostOperationFails(kOpReleaseDC); }

void OsDrawIcon(DeviceContext dc, int32_t x, int32_t y, IconHandle icon) {
    if (HostOperationFails(kOpDrawIcon) || dc == nullptr || icon == nullptr) return;
    const DeviceContextRecord* record = reinterpret_cast<const DeviceContextRecord*>(dc);
    Manager().drawings.push_back({record->dialog->templateId, record->duringPaint, x, y,
                                  static_cast<uint16_t>(reinterpret_cast<uintptr_t>(icon))});
}
