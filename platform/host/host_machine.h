// The emulated machine behind the host build, and the handles tests use to set
// it up, play the user and look at what the program did.
//
// Registry, system answers, mutexes and dialogs live in memory. Files are real
// files in a test folder that stands for the executable's directory. Every
// platform operation can be told to fail at its Nth call.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/operations.h"
#include "platform/system.h"

// ---- The machine as a whole ----

// Forgets everything (registry, files' emulated attributes and locks, faults,
// mutexes, dialogs, answers) and makes `folder` the executable's directory.
// The folder must exist; the executable is "<folder>/Kestrawn.exe".
void HostReset(std::string folder);
const std::string& HostFolder();
std::string HostPath(const std::string& fileName);  // a file in the folder

// ---- Faults ----

// The nth call (1 = the next) of `operation` fails; with `persistent` every
// later call fails too. Counting starts at the reset.
void HostFailOperation(PlatformOperation operation, int nth, bool persistent = false);
int HostCallCount(PlatformOperation operation);
const char* PlatformOperationName(PlatformOperation operation);
// Called by each host operation: counts the call and says whether it fails.
bool HostOperationFails(PlatformOperation operation);

// ---- System answers ----

void HostSetLanguageName(const std::u16string& name);  // "en" by default; "ja" selects code page 932
void HostSetVersion(const OsVersionInfo& version);     // 5.1 workstation by default
void HostSetWow64Export(bool exported);                // kernel32 exports IsWow64Process (default yes)
void HostSetWow64(bool underWow64);                    // its answer (default no)
void HostSetShell32Loadable(bool loadable);            // default yes
void HostSetAdminExport(bool exported);                // shell32 exports ordinal 680 (default yes)
void HostSetAdminAnswer(int32_t answer);               // what IsUserAnAdmin returns (default 1)
int HostLibrariesLoaded();                             // LoadLibrary successes minus FreeLibrary calls
bool HostSystemUsesCodePage932();
void HostSetModulePath(const std::u16string& path);    // overrides "<folder>/Kestrawn.exe"
void HostSetResourceMissing(bool missing);             // the "LANG" resources are absent

// ---- Mutexes ----

void HostHoldMutex(const std::u16string& name);  // as another instance would
bool HostMutexExists(const std::u16string& name);

// ---- Registry (HKEY_LOCAL_MACHINE) ----

void HostRegSetString(const std::u16string& subkey, const std::u16string& name, const std::u16string& value);
void HostRegSetBytes(const std::u16string& subkey, const std::u16string& name, uint32_t type,
                     const std::string& bytes);
void HostRegDeleteValue(const std::u16string& subkey, const std::u16string& name);
bool HostRegGetBytes(const std::u16string& subkey, const std::u16string& name, uint32_t* type, std::string* bytes);
bool HostRegGetString(const std::u16string& subkey, const std::u16string& name, std::u16string* value);
int HostRegValueWrites();    // successful OsRegSetValue calls
void HostRegDenyWrites(bool denied);  // opening a key for writing is refused, as for a user without rights
int HostOpenRegistryKeys();  // keys opened and not yet closed

// ---- Files ----

void HostWriteFile(const std::string& fileName, const std::string& bytes);
bool HostReadFile(const std::string& fileName, std::string* bytes);
bool HostFileExists(const std::string& fileName);
void HostMakeDirectory(const std::string& fileName);
void HostSetReadOnly(const std::string& fileName, bool readOnly);  // emulated: root ignores permission bits
void HostSetFolderWritable(bool writable);                         // nothing can be created in the folder
void HostLockForWriting(const std::string& fileName);             // another process holds it open for writing
bool HostIsLockedByProgram(const std::string& fileName);           // the program's read-sharing handle is open
int HostOpenFiles();                                               // handles opened and not yet closed

// ---- Dialogs and message boxes ----

struct HostMessageBox {
    int ownerTemplate;  // template id of the owner dialog, 0 for none
    std::u16string text;
    std::u16string caption;
    uint32_t style;
};

struct HostIconDrawing {
    int dialogTemplate;
    bool duringPaint;  // on BeginPaint's DC, else on a GetDC DC
    int32_t x, y;
    uint16_t icon;
};

// One step of the user, taken when the program waits for input.
struct UserAction {
    enum Kind { kClick, kType, kEscape, kCloseFromCaption, kAnswer, kPost, kThemeChanged, kInspect } kind;
    int32_t id;                    // control id, or the message-box button
    std::u16string text;           // kType
    uint32_t message;              // kPost
    uintptr_t wParam;              // kPost
    std::function<void()> inspect; // kInspect: runs the test's checks at that moment
};
UserAction Click(int32_t controlId);
UserAction Type(int32_t controlId, const std::u16string& text);
UserAction PressEscape();
UserAction CloseFromCaption();
UserAction Answer(int32_t button);  // the answer to the next message box
UserAction PostFromOutside(uint32_t message, uintptr_t wParam);
UserAction ThemeChanged();
UserAction Inspect(std::function<void()> checks);

// The user's steps, in order. When the script runs out while a dialog or box
// waits for input, an error is recorded and the dialog is ended with -1.
void HostSetScript(std::vector<UserAction> actions);
const std::vector<std::string>& HostScriptErrors();
const std::vector<HostMessageBox>& HostMessageBoxes();
const std::vector<HostIconDrawing>& HostIconDrawings();
std::vector<std::string> HostRefusedClicks();  // clicks on disabled buttons, as "template:id"

// The state of a dialog: the open one with that template, else the last one.
bool HostDialogExists(int templateId);
std::u16string HostDialogCaption(int templateId);
std::u16string HostControlText(int templateId, int32_t controlId);
bool HostControlEnabled(int templateId, int32_t controlId);
int32_t HostFocusedControl(int templateId);  // 0 when no control has the focus
intptr_t HostDialogResult(int templateId);
int HostDialogsOpened(int templateId);
