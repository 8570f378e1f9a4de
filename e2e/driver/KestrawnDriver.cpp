// KestrawnDriver: a console program that plays the user for the end-to-end
// tests. It runs in the same Wine prefix and X display as Kestrawn.exe, finds
// the program's windows and acts on them through window messages.
//
// Usage: KestrawnDriver COMMAND [ARGS...] [COMMAND [ARGS...]]...
//
// The commands run in order; each prints exactly one JSON object on a line of
// its own on stdout (ASCII only, other characters as \uXXXX escapes of their
// UTF-16 code units). The first command that fails prints {"error":...} and
// ends the run with exit code 1; a malformed command line gives exit code 2.
//
// Windows are the visible top-level windows captioned "Kestrawn", of three
// kinds, told apart by their direct children:
//   main   has the status text, control 1014
//   input  has control 1012 and no control 1014
//   box    a message box: has the text static 0xFFFF and neither of the above
//
//   wait KIND TIMEOUT_MS         wait for such a window, then print it
//   wait-text KIND ID TIMEOUT_MS wait until its control ID has a non-empty text
//   dump KIND                    print such a window now
//   click KIND ID                press button ID as a user would
//   post-command KIND ID         post WM_COMMAND(ID) to the window itself,
//                                whatever the state of the button (another
//                                program could do that)
//   settext KIND ID HEX          set the text of control ID; HEX is UTF-16LE
//   escape KIND                  press and release the Escape key
//   close KIND                   the caption's close button (SC_CLOSE)
//   answer ID TIMEOUT_MS         wait for a message box, print it, press ID
//   gone KIND TIMEOUT_MS         wait until no such window is left
//   list                         every visible top-level window
//   reg-get KEY NAME             print a registry value of the 32-bit view
//   reg-set KEY NAME HEX         set a REG_SZ value (HEX as for settext),
//                                creating the key
//   reg-delete KEY NAME          delete a value; a missing one is fine
//   reg-deny-write KEY           deny everyone the right to set values of KEY
//   lock-file PATH MS            open PATH (made if missing) for reading and
//                                writing, sharing only reading, print, and
//                                hold it for MS milliseconds
//
// KEY starts with HKLM\ or HKCU\. The driver is a 32-bit program like
// Kestrawn, so it sees the same registry view.
//
// A user can only act on an enabled window: click, escape, close and answer
// print {"error":"disabled"} and press nothing when the window (or for click
// the button) is disabled, as it is while a modal box or dialog it owns is
// open. Every wait polls with a bounded timeout.

#include <windows.h>

#include <stddef.h>
#include <stdio.h>
#include <string.h>

namespace {

const wchar_t kCaption[] = L"Kestrawn";
const int kIdStatusText = 1014;
const int kIdInputLabel = 1012;
const int kIdBoxText = 0xFFFF;
const DWORD kPollMs = 20;
const UINT kSendTimeoutMs = 5000;

enum Kind { kNone = 0, kMain, kInput, kBox };

// ---------------------------------------------------------------- output

// One JSON line is built here before it is written in one piece.
char g_line[1 << 20];
size_t g_len = 0;
bool g_overflow = false;

void Put(const char* s) {
    size_t n = strlen(s);
    if (g_len + n >= sizeof g_line) {
        g_overflow = true;
        return;
    }
    memcpy(g_line + g_len, s, n);
    g_len += n;
}

void PutUnsigned(unsigned long value) {
    char digits[16];
    snprintf(digits, sizeof digits, "%lu", value);
    Put(digits);
}

void PutInt(long value) {
    char digits[16];
    snprintf(digits, sizeof digits, "%ld", value);
    Put(digits);
}

void PutBool(bool value) { Put(value ? "true" : "false"); }

// A JSON string from UTF-16 text of the given length.
void PutString(const wchar_t* text, size_t length) {
    Put("\"");
    for (size_t i = 0; i < length; ++i) {
        unsigned c = text[i];
        char piece[8];
        if (c == '"') {
            Put("\\\"");
        } else if (c == '\\') {
            Put("\\\\");
        } else if (c == '\n') {
            Put("\\n");
        } else if (c == '\r') {
            Put("\\r");
        } else if (c == '\t') {
            Put("\\t");
        } else if (c < 0x20 || c > 0x7E) {
            snprintf(piece, sizeof piece, "\\u%04x", c);
            Put(piece);
        } else {
            piece[0] = static_cast<char>(c);
            piece[1] = 0;
            Put(piece);
        }
    }
    Put("\"");
}

void PutString(const wchar_t* text) { PutString(text, wcslen(text)); }

void PutAsciiString(const char* text) {
    Put("\"");
    Put(text);
    Put("\"");
}

void EndLine() {
    if (g_overflow) {
        g_len = 0;
        g_overflow = false;
        Put("{\"error\":\"output too long\"}");
    }
    Put("\n");
    fwrite(g_line, 1, g_len, stdout);
    fflush(stdout);
    g_len = 0;
}

void PrintError(const char* error) {
    Put("{\"error\":");
    PutAsciiString(error);
    Put("}");
    EndLine();
}

// ---------------------------------------------------------------- windows

const char* KindName(Kind kind) {
    switch (kind) {
        case kMain: return "main";
        case kInput: return "input";
        case kBox: return "box";
        default: return "none";
    }
}

Kind ParseKind(const wchar_t* text) {
    if (wcscmp(text, L"main") == 0) return kMain;
    if (wcscmp(text, L"input") == 0) return kInput;
    if (wcscmp(text, L"box") == 0) return kBox;
    return kNone;
}

// Control ids are WORDs in classic templates, so a static declared as -1
// comes back as 0xFFFF or as -1 depending on the template form; both are
// reported as 65535.
int ControlId(HWND control) {
    int id = GetDlgCtrlID(control);
    return id == -1 ? 0xFFFF : id;
}

// A direct child with the given id (GetDlgItem would also do, but it
// compares the full id, which misses a -1 static when asked for 0xFFFF).
HWND FindChild(HWND window, int id) {
    for (HWND child = GetWindow(window, GW_CHILD); child != NULL;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (ControlId(child) == id) return child;
    }
    return NULL;
}

Kind Classify(HWND window) {
    if (FindChild(window, kIdStatusText) != NULL) return kMain;
    if (FindChild(window, kIdInputLabel) != NULL) return kInput;
    if (FindChild(window, kIdBoxText) != NULL) return kBox;
    return kNone;
}

struct FindState {
    Kind kind;
    HWND found;  // the first in z-order, that is the topmost
    int count;
};

BOOL CALLBACK FindProc(HWND window, LPARAM param) {
    FindState* state = reinterpret_cast<FindState*>(param);
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t caption[64];
    // For a window of another process GetWindowTextW reads the stored
    // caption without sending it a message, so a busy program cannot block it.
    if (GetWindowTextW(window, caption, 64) <= 0) return TRUE;
    if (wcscmp(caption, kCaption) != 0) return TRUE;
    if (Classify(window) != state->kind) return TRUE;
    if (state->found == NULL) state->found = window;
    ++state->count;
    return TRUE;
}

HWND FindKind(Kind kind, int* count) {
    FindState state = {kind, NULL, 0};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&state));
    if (count != NULL) *count = state.count;
    return state.found;
}

// The text of any window, read with WM_GETTEXT through a bounded send.
wchar_t g_text[70000];

size_t ReadText(HWND window) {
    g_text[0] = 0;
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, sizeof g_text / sizeof g_text[0],
                             reinterpret_cast<LPARAM>(g_text), SMTO_ABORTIFHUNG,
                             kSendTimeoutMs, &copied)) {
        g_text[0] = 0;
        return 0;
    }
    g_text[sizeof g_text / sizeof g_text[0] - 1] = 0;
    return wcslen(g_text);
}

// The id of the control that has the keyboard focus in the window's thread,
// or 0 when the focus is on no control of this window.
int FocusId(HWND window) {
    GUITHREADINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(window, NULL);
    if (!GetGUIThreadInfo(thread, &info) || info.hwndFocus == NULL) return 0;
    if (info.hwndFocus == window || !IsChild(window, info.hwndFocus)) return 0;
    return ControlId(info.hwndFocus);
}

// Prints the window as one JSON object; extra is added before the closing
// brace (for example ,"pressed":6).
void PrintWindow(HWND window, Kind kind, int count, const char* extra) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    Put("{\"kind\":");
    PutAsciiString(KindName(kind));
    Put(",\"caption\":");
    size_t length = ReadText(window);
    PutString(g_text, length);
    Put(",\"enabled\":");
    PutBool(IsWindowEnabled(window) != FALSE);
    Put(",\"focus\":");
    PutInt(FocusId(window));
    Put(",\"pid\":");
    PutUnsigned(pid);
    Put(",\"count\":");
    PutInt(count);
    RECT rect;
    if (!GetWindowRect(window, &rect)) SetRectEmpty(&rect);
    Put(",\"rect\":[");
    PutInt(rect.left);
    Put(",");
    PutInt(rect.top);
    Put(",");
    PutInt(rect.right);
    Put(",");
    PutInt(rect.bottom);
    Put("]");
    Put(",\"controls\":[");
    bool first = true;
    for (HWND child = GetWindow(window, GW_CHILD); child != NULL;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64];
        if (GetClassNameW(child, className, 64) <= 0) className[0] = 0;
        Put(first ? "{\"id\":" : ",{\"id\":");
        first = false;
        PutInt(ControlId(child));
        Put(",\"class\":");
        PutString(className);
        Put(",\"text\":");
        length = ReadText(child);
        PutString(g_text, length);
        Put(",\"enabled\":");
        PutBool(IsWindowEnabled(child) != FALSE);
        Put(",\"visible\":");
        PutBool(IsWindowVisible(child) != FALSE);
        Put("}");
    }
    Put("]");
    if (extra != NULL) Put(extra);
    Put("}");
    EndLine();
}

void PrintOk(const char* command, Kind kind, int id) {
    Put("{\"ok\":");
    PutAsciiString(command);
    if (kind != kNone) {
        Put(",\"kind\":");
        PutAsciiString(KindName(kind));
    }
    if (id != 0) {
        Put(",\"id\":");
        PutInt(id);
    }
    Put("}");
    EndLine();
}

// Polls until a window of the kind exists (or, with wantGone, until none is
// left) or the timeout passes.
HWND WaitFor(Kind kind, DWORD timeoutMs, int* count) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindKind(kind, count);
        if (window != NULL) return window;
        if (GetTickCount() - start >= timeoutMs) return NULL;
        Sleep(kPollMs);
    }
}

bool WaitGone(Kind kind, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (FindKind(kind, NULL) == NULL) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

// Waits until control id of a window of the kind has a non-empty text.
HWND WaitText(Kind kind, int id, DWORD timeoutMs, int* count) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = FindKind(kind, count);
        if (window != NULL) {
            HWND control = FindChild(window, id);
            if (control != NULL && ReadText(control) > 0) return window;
        }
        if (GetTickCount() - start >= timeoutMs) return NULL;
        Sleep(kPollMs);
    }
}

// Presses a button the way BM_CLICK does, posted so that this driver never
// waits for the modal loops the program opens inside its handler.
bool Press(HWND window, int id) {
    if (!IsWindowEnabled(window)) {
        PrintError("disabled");
        return false;
    }
    HWND button = FindChild(window, id);
    if (button == NULL) {
        PrintError("no such control");
        return false;
    }
    // BM_CLICK sends the mouse messages to the button directly, which a
    // disabled button would act on too; a user could not press it.
    if (!IsWindowEnabled(button) || !IsWindowVisible(button)) {
        PrintError("disabled");
        return false;
    }
    if (!PostMessageW(button, BM_CLICK, 0, 0)) {
        PrintError("post failed");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- arguments

bool ParseNumber(const wchar_t* text, unsigned long* value) {
    if (text[0] == 0) return false;
    unsigned long result = 0;
    for (const wchar_t* p = text; *p != 0; ++p) {
        if (*p < L'0' || *p > L'9') return false;
        result = result * 10 + static_cast<unsigned long>(*p - L'0');
        if (result > 0x7FFFFFFFul) return false;
    }
    *value = result;
    return true;
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// UTF-16LE from hex digits, four per code unit, into g_text.
bool DecodeHex(const wchar_t* hex) {
    size_t digits = wcslen(hex);
    size_t units = digits / 4;
    if (digits % 4 != 0 || units >= sizeof g_text / sizeof g_text[0]) return false;
    for (size_t i = 0; i < units; ++i) {
        int d[4];
        for (int k = 0; k < 4; ++k) {
            d[k] = HexDigit(hex[i * 4 + k]);
            if (d[k] < 0) return false;
        }
        // Little-endian: low byte first.
        g_text[i] = static_cast<wchar_t>((d[0] << 4 | d[1]) | (d[2] << 4 | d[3]) << 8);
    }
    g_text[units] = 0;
    return true;
}

// ---------------------------------------------------------------- registry

// Opens (or with create, creates) a key given as "HKLM\\path" or "HKCU\\path".
LONG OpenKey(const wchar_t* text, REGSAM access, bool create, HKEY* key) {
    HKEY root;
    if (wcsncmp(text, L"HKLM\\", 5) == 0) {
        root = HKEY_LOCAL_MACHINE;
    } else if (wcsncmp(text, L"HKCU\\", 5) == 0) {
        root = HKEY_CURRENT_USER;
    } else {
        return ERROR_BAD_PATHNAME;
    }
    if (create) return RegCreateKeyExW(root, text + 5, 0, NULL, 0, access, NULL, key, NULL);
    return RegOpenKeyExW(root, text + 5, 0, access, key);
}

// Prints the outcome of a registry command that changes something.
bool Report(LONG status, const char* command) {
    if (status != ERROR_SUCCESS) {
        Put("{\"error\":\"failed\",\"command\":");
        PutAsciiString(command);
        Put(",\"status\":");
        PutInt(status);
        Put("}");
        EndLine();
        return false;
    }
    PrintOk(command, kNone, 0);
    return true;
}

BYTE g_value[1 << 17];

void RegGet(const wchar_t* keyText, const wchar_t* name) {
    HKEY key;
    DWORD type = 0;
    DWORD size = sizeof g_value - 2;
    LONG status = OpenKey(keyText, KEY_QUERY_VALUE, false, &key);
    if (status == ERROR_SUCCESS) {
        status = RegQueryValueExW(key, name, NULL, &type, g_value, &size);
        RegCloseKey(key);
    }
    Put("{\"name\":");
    PutString(name);
    if (status != ERROR_SUCCESS) {
        Put(",\"exists\":false,\"status\":");
        PutInt(status);
    } else {
        Put(",\"exists\":true,\"type\":");
        PutUnsigned(type);
        Put(",\"size\":");
        PutUnsigned(size);
        // The stored data as UTF-16 code units, with any terminating NUL left in.
        Put(",\"value\":");
        PutString(reinterpret_cast<const wchar_t*>(g_value), size / 2);
    }
    Put("}");
    EndLine();
}

bool RegSet(const wchar_t* keyText, const wchar_t* name, const wchar_t* text) {
    HKEY key;
    LONG status = OpenKey(keyText, KEY_SET_VALUE, true, &key);
    if (status == ERROR_SUCCESS) {
        DWORD bytes = static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
        status = RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
        RegCloseKey(key);
    }
    return Report(status, "reg-set");
}

bool RegDelete(const wchar_t* keyText, const wchar_t* name) {
    HKEY key;
    LONG status = OpenKey(keyText, KEY_SET_VALUE, false, &key);
    if (status == ERROR_SUCCESS) {
        status = RegDeleteValueW(key, name);
        RegCloseKey(key);
    }
    // Deleting what is not there leaves the state the caller asked for.
    if (status == ERROR_FILE_NOT_FOUND) status = ERROR_SUCCESS;
    return Report(status, "reg-delete");
}

// Gives the key a DACL that denies everyone KEY_SET_VALUE and allows the
// rest, so that a program writing a value there is refused.
bool RegDenyWrite(const wchar_t* keyText) {
    SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
    PSID everyone = NULL;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone)) {
        return Report(static_cast<LONG>(GetLastError()), "reg-deny-write");
    }
    static BYTE aclBytes[512];
    ACL* acl = reinterpret_cast<ACL*>(aclBytes);
    SECURITY_DESCRIPTOR descriptor;
    bool built = InitializeAcl(acl, sizeof aclBytes, ACL_REVISION) &&
                 AddAccessDeniedAce(acl, ACL_REVISION, KEY_SET_VALUE, everyone) &&
                 AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, everyone) &&
                 InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                 SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    LONG status = built ? ERROR_SUCCESS : ERROR_INVALID_PARAMETER;
    HKEY key;
    if (built) status = OpenKey(keyText, WRITE_DAC, false, &key);
    if (built && status == ERROR_SUCCESS) {
        status = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor);
        RegCloseKey(key);
    }
    FreeSid(everyone);
    return Report(status, "reg-deny-write");
}

int Usage(const char* why) {
    Put("{\"error\":\"usage\",\"detail\":");
    PutAsciiString(why);
    Put("}");
    EndLine();
    return 2;
}

// Finds the window for an action command or prints the error.
HWND Require(Kind kind) {
    HWND window = FindKind(kind, NULL);
    if (window == NULL) PrintError("not found");
    return window;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage("no command");
    int i = 1;
    while (i < argc) {
        const wchar_t* command = argv[i];
        int left = argc - i - 1;
        unsigned long number = 0;
        unsigned long timeout = 0;

        if (wcscmp(command, L"list") == 0) {
            i += 1;
            struct Lister {
                static BOOL CALLBACK Proc(HWND window, LPARAM param) {
                    bool* first = reinterpret_cast<bool*>(param);
                    if (!IsWindowVisible(window)) return TRUE;
                    wchar_t caption[256];
                    wchar_t className[256];
                    if (GetWindowTextW(window, caption, 256) < 0) caption[0] = 0;
                    if (GetClassNameW(window, className, 256) <= 0) className[0] = 0;
                    DWORD pid = 0;
                    GetWindowThreadProcessId(window, &pid);
                    Put(*first ? "{\"caption\":" : ",{\"caption\":");
                    *first = false;
                    PutString(caption);
                    Put(",\"class\":");
                    PutString(className);
                    Put(",\"pid\":");
                    PutUnsigned(pid);
                    Put("}");
                    return TRUE;
                }
            };
            bool first = true;
            Put("{\"windows\":[");
            EnumWindows(Lister::Proc, reinterpret_cast<LPARAM>(&first));
            Put("]}");
            EndLine();
            continue;
        }

        if (left < 1) return Usage("missing argument");

        if (wcscmp(command, L"reg-get") == 0 || wcscmp(command, L"reg-delete") == 0) {
            if (left < 2) return Usage("reg-get|reg-delete KEY NAME");
            bool done = true;
            if (command[4] == L'g') {
                RegGet(argv[i + 1], argv[i + 2]);
            } else {
                done = RegDelete(argv[i + 1], argv[i + 2]);
            }
            i += 3;
            if (!done) return 1;
            continue;
        }
        if (wcscmp(command, L"reg-set") == 0) {
            if (left < 3 || !DecodeHex(argv[i + 3])) return Usage("reg-set KEY NAME HEX");
            bool done = RegSet(argv[i + 1], argv[i + 2], g_text);
            i += 4;
            if (!done) return 1;
            continue;
        }
        if (wcscmp(command, L"reg-deny-write") == 0) {
            bool done = RegDenyWrite(argv[i + 1]);
            i += 2;
            if (!done) return 1;
            continue;
        }

        if (wcscmp(command, L"lock-file") == 0) {
            if (left < 2 || !ParseNumber(argv[i + 2], &timeout)) return Usage("lock-file PATH MS");
            HANDLE file = CreateFileW(argv[i + 1], GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL,
                                      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            i += 3;
            if (!Report(file == INVALID_HANDLE_VALUE ? static_cast<LONG>(GetLastError()) : 0, "lock-file")) {
                return 1;
            }
            Sleep(timeout);
            CloseHandle(file);
            continue;
        }

        Kind kind = ParseKind(argv[i + 1]);

        if (wcscmp(command, L"wait") == 0 || wcscmp(command, L"gone") == 0) {
            if (left < 2 || kind == kNone || !ParseNumber(argv[i + 2], &timeout))
                return Usage("wait|gone KIND TIMEOUT_MS");
            i += 3;
            if (command[0] == L'g') {
                if (!WaitGone(kind, timeout)) {
                    PrintError("timeout");
                    return 1;
                }
                PrintOk("gone", kind, 0);
                continue;
            }
            int count = 0;
            HWND window = WaitFor(kind, timeout, &count);
            if (window == NULL) {
                PrintError("timeout");
                return 1;
            }
            PrintWindow(window, kind, count, NULL);
        } else if (wcscmp(command, L"wait-text") == 0) {
            if (left < 3 || kind == kNone || !ParseNumber(argv[i + 2], &number) ||
                !ParseNumber(argv[i + 3], &timeout))
                return Usage("wait-text KIND ID TIMEOUT_MS");
            i += 4;
            int count = 0;
            HWND window = WaitText(kind, static_cast<int>(number), timeout, &count);
            if (window == NULL) {
                PrintError("timeout");
                return 1;
            }
            PrintWindow(window, kind, count, NULL);
        } else if (wcscmp(command, L"dump") == 0) {
            if (kind == kNone) return Usage("dump KIND");
            i += 2;
            int count = 0;
            HWND window = FindKind(kind, &count);
            if (window == NULL) {
                PrintError("not found");
                return 1;
            }
            PrintWindow(window, kind, count, NULL);
        } else if (wcscmp(command, L"click") == 0 ||
                   wcscmp(command, L"post-command") == 0) {
            if (left < 2 || kind == kNone || !ParseNumber(argv[i + 2], &number))
                return Usage("click|post-command KIND ID");
            i += 3;
            HWND window = Require(kind);
            if (window == NULL) return 1;
            int id = static_cast<int>(number);
            if (command[0] == L'c') {
                if (!Press(window, id)) return 1;
                PrintOk("click", kind, id);
            } else {
                if (!PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0)) {
                    PrintError("post failed");
                    return 1;
                }
                PrintOk("post-command", kind, id);
            }
        } else if (wcscmp(command, L"settext") == 0) {
            if (left < 3 || kind == kNone || !ParseNumber(argv[i + 2], &number) ||
                !DecodeHex(argv[i + 3]))
                return Usage("settext KIND ID HEX");
            i += 4;
            HWND window = Require(kind);
            if (window == NULL) return 1;
            HWND control = FindChild(window, static_cast<int>(number));
            if (control == NULL) {
                PrintError("no such control");
                return 1;
            }
            DWORD_PTR result = 0;
            if (!SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(g_text),
                                     SMTO_ABORTIFHUNG, kSendTimeoutMs, &result) ||
                result == 0) {
                PrintError("settext failed");
                return 1;
            }
            PrintOk("settext", kind, static_cast<int>(number));
        } else if (wcscmp(command, L"escape") == 0 || wcscmp(command, L"close") == 0) {
            if (kind == kNone) return Usage("escape|close KIND");
            i += 2;
            HWND window = Require(kind);
            if (window == NULL) return 1;
            if (!IsWindowEnabled(window)) {
                PrintError("disabled");
                return 1;
            }
            bool posted;
            if (command[0] == L'e') {
                // Scan code 1 is Escape; bits 30 and 31 mark the release.
                posted = PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001) &&
                         PostMessageW(window, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
            } else {
                posted = PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
            }
            if (!posted) {
                PrintError("post failed");
                return 1;
            }
            PrintOk(command[0] == L'e' ? "escape" : "close", kind, 0);
        } else if (wcscmp(command, L"answer") == 0) {
            // Here the argument after the command is the button id.
            if (left < 2 || !ParseNumber(argv[i + 1], &number) ||
                !ParseNumber(argv[i + 2], &timeout))
                return Usage("answer ID TIMEOUT_MS");
            i += 3;
            int count = 0;
            HWND box = WaitFor(kBox, timeout, &count);
            if (box == NULL) {
                PrintError("timeout");
                return 1;
            }
            if (!IsWindowEnabled(box)) {
                PrintError("disabled");
                return 1;
            }
            if (FindChild(box, static_cast<int>(number)) == NULL) {
                PrintError("no such control");
                return 1;
            }
            // Print the box first: once pressed it is gone.
            char extra[32];
            snprintf(extra, sizeof extra, ",\"pressed\":%lu", number);
            PrintWindow(box, kBox, count, extra);
            if (!Press(box, static_cast<int>(number))) return 1;
        } else {
            return Usage("unknown command");
        }
    }
    return 0;
}
