// Faults, system answers, mutexes, modules and resources of the emulated machine.
#include "platform/host/host_machine.h"

#include <iconv.h>
#include <sys/stat.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/host/host_internal.h"
#include "platform/process.h"

namespace {

struct Fault {
    int calls = 0;
    int failAt = 0;  // 0: never
    bool persistent = false;
};

struct Machine {
    std::string folder;
    Fault faults[kPlatformOperationCount];
    std::u16string languageName = u"en";
    OsVersionInfo version = {2, 5, 1, 1};
    bool wow64Exported = true;
    bool underWow64 = false;
    bool shell32Loadable = true;
    bool adminExported = true;
    int32_t adminAnswer = 1;
    int librariesLoaded = 0;
    std::u16string modulePath;
    bool resourceMissing = false;
    std::set<std::u16string> mutexes;
    uint32_t lastError = 0;
    std::map<std::string, std::string> resources;  // name -> bytes, loaded on first use
};

Machine& TheMachine() {
    static Machine machine;
    return machine;
}

// Fake handles: distinct addresses that are never dereferenced.
char gExecutableModule, gKernel32, gShell32, gMutex, gIsWow64Process, gIsUserAnAdmin;

template <typename T>
T Fake(char* address) {
    return reinterpret_cast<T>(address);
}

std::string Upper(const std::u16string& text) {
    std::string result;
    for (char16_t c : text) result += static_cast<char>((c >= u'a' && c <= u'z') ? c - 32 : c);
    return result;
}

}  // namespace

// ---- The machine as a whole ----

void HostReset(std::string folder) {
    Machine& machine = TheMachine();
    machine = Machine();
    machine.folder = folder;
    mkdir((folder + "/current").c_str(), 0755);
    HostResetRegistry();
    HostResetFiles();
    HostResetDialogs();
}

const std::string& HostFolder() { return TheMachine().folder; }
std::string HostPath(const std::string& fileName) { return TheMachine().folder + "/" + fileName; }

// ---- Faults ----

void HostFailOperation(PlatformOperation operation, int nth, bool persistent) {
    Fault& fault = TheMachine().faults[operation];
    fault.failAt = fault.calls + nth;
    fault.persistent = persistent;
}

int HostCallCount(PlatformOperation operation) { return TheMachine().faults[operation].calls; }

const char* PlatformOperationName(PlatformOperation operation) {
    static const char* const kNames[] = {
#define PLATFORM_OPERATION_NAME(name) #name,
        PLATFORM_OPERATIONS(PLATFORM_OPERATION_NAME)
#undef PLATFORM_OPERATION_NAME
    };
    return kNames[operation];
}

bool HostOperationFails(PlatformOperation operation) {
    Fault& fault = TheMachine().faults[operation];
    fault.calls++;
    if (fault.failAt == 0) return false;
    return fault.calls == fault.failAt || (fault.persistent && fault.calls > fault.failAt);
}

// ---- System answers ----

void HostSetLanguageName(const std::u16string& name) { TheMachine().languageName = name; }
void HostSetVersion(const OsVersionInfo& version) { TheMachine().version = version; }
void HostSetWow64Export(bool exported) { TheMachine().wow64Exported = exported; }
void HostSetWow64(bool underWow64) { TheMachine().underWow64 = underWow64; }
void HostSetShell32Loadable(bool loadable) { TheMachine().shell32Loadable = loadable; }
void HostSetAdminExport(bool exported) { TheMachine().adminExported = exported; }
void HostSetAdminAnswer(int32_t answer) { TheMachine().adminAnswer = answer; }
int HostLibrariesLoaded() { return TheMachine().librariesLoaded; }
void HostSetModulePath(const std::u16string& path) { TheMachine().modulePath = path; }
void HostSetResourceMissing(bool missing) { TheMachine().resourceMissing = missing; }

bool HostSystemUsesCodePage932() { return Upper(TheMachine().languageName) == "JA"; }

bool OsGetVersionEx(OsVersionInfo* info) {
    if (HostOperationFails(kOpGetVersionEx)) return false;
    *info = TheMachine().version;
    return true;
}

void OsGetSystemLanguageName(char16_t* buffer, uint32_t capacity) {
    for (uint32_t i = 0; i < capacity; i++) buffer[i] = 0;
    if (HostOperationFails(kOpGetSystemLanguageName)) return;
    const std::u16string& name = TheMachine().languageName;
    for (uint32_t i = 0; i < name.size() && i + 1 < capacity; i++) buffer[i] = name[i];
}

// ---- Mutexes ----

void HostHoldMutex(const std::u16string& name) { TheMachine().mutexes.insert(name); }
bool HostMutexExists(const std::u16string& name) { return TheMachine().mutexes.count(name) != 0; }

MutexHandle OsCreateMutex(bool, const char16_t* name) {
    Machine& machine = TheMachine();
    if (HostOperationFails(kOpCreateMutex)) {
        machine.lastError = kErrorAccessDenied;
        return nullptr;
    }
    bool exists = !machine.mutexes.insert(name).second;
    machine.lastError = exists ? kErrorAlreadyExists : kErrorSuccess;
    return Fake<MutexHandle>(&gMutex);
}

uint32_t OsGetLastError() { return TheMachine().lastError; }
void HostSetLastError(uint32_t error) { TheMachine().lastError = error; }

// ---- Modules and resources ----

uint32_t OsGetModuleFileName(char16_t* buffer, uint32_t capacity) {
    if (HostOperationFails(kOpGetModuleFileName)) return 0;
    Machine& machine = TheMachine();
    std::u16string path = machine.modulePath.empty() ? Utf8ToUtf16(machine.folder + "/Kestrawn.exe") : machine.modulePath;
    // As Windows 2000 and XP do: a path that does not fit is cut and not terminated.
    uint32_t count = 0;
    for (; count < path.size() && count < capacity; count++) buffer[count] = path[count];
    if (count < capacity) buffer[count] = 0;
    return count;
}

ModuleHandle OsGetModuleHandle(const char16_t* name) {
    if (HostOperationFails(kOpGetModuleHandle)) return nullptr;
    if (name == nullptr) return Fake<ModuleHandle>(&gExecutableModule);
    if (Upper(name) == "KERNEL32.DLL") return Fake<ModuleHandle>(&gKernel32);
    return nullptr;
}

ResourceHandle OsFindResource(ModuleHandle module, const char16_t* name, const char16_t* type) {
    Machine& machine = TheMachine();
    if (HostOperationFails(kOpFindResource)) return nullptr;
    if (machine.resourceMissing || module != Fake<ModuleHandle>(&gExecutableModule) || Upper(type) != "LANG") {
        return nullptr;
    }
    std::string resourceName = Upper(name);
    if (resourceName != "EN" && resourceName != "JA") return nullptr;
    auto found = machine.resources.find(resourceName);
    if (found == machine.resources.end()) {
        std::string fileName = resourceName == "EN" ? "en.lang" : "ja.lang";
        std::ifstream file(std::string(KESTRAWN_RESOURCE_DIR) + "/" + fileName, std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        found = machine.resources.emplace(resourceName, bytes.str()).first;
    }
    return reinterpret_cast<ResourceHandle>(&found->second);
}

uint32_t OsSizeofResource(ModuleHandle, ResourceHandle resource) {
    if (HostOperationFails(kOpSizeofResource) || resource == nullptr) return 0;
    return static_cast<uint32_t>(reinterpret_cast<std::string*>(resource)->size());
}

const void* OsLoadResourceBytes(ModuleHandle, ResourceHandle resource) {
    if (HostOperationFails(kOpLoadResourceBytes) || resource == nullptr) return nullptr;
    return reinterpret_cast<std::string*>(resource)->data();
}

// ---- Libraries and entry points ----

ModuleHandle OsLoadLibrary(const char16_t* name) {
    Machine& machine = TheMachine();
    if (HostOperationFails(kOpLoadLibrary) || !machine.shell32Loadable || Upper(name) != "SHELL32.DLL") {
        return nullptr;
    }
    machine.librariesLoaded++;
    return Fake<ModuleHandle>(&gShell32);
}

void OsFreeLibrary(ModuleHandle module) {
    if (HostOperationFails(kOpFreeLibrary)) return;
    if (module == Fake<ModuleHandle>(&gShell32)) TheMachine().librariesLoaded--;
}

ProcAddress OsGetProcAddress(ModuleHandle module, const char* name) {
    if (HostOperationFails(kOpGetProcAddress)) return nullptr;
    if (module == Fake<ModuleHandle>(&gKernel32) && std::string(name) == "IsWow64Process" &&
        TheMachine().wow64Exported) {
        return Fake<ProcAddress>(&gIsWow64Process);
    }
    return nullptr;
}

ProcAddress OsGetProcAddressByOrdinal(ModuleHandle module, uint16_t ordinal) {
    if (HostOperationFails(kOpGetProcAddressByOrdinal)) return nullptr;
    if (module == Fake<ModuleHandle>(&gShell32) && ordinal == 680 && TheMachine().adminExported) {
        return Fake<ProcAddress>(&gIsUserAnAdmin);
    }
    return nullptr;
}

bool OsCallIsWow64Process(ProcAddress function, bool* underWow64) {
    if (HostOperationFails(kOpCallIsWow64Process) || function != Fake<ProcAddress>(&gIsWow64Process)) return false;
    *underWow64 = TheMachine().underWow64;
    return true;
}

int32_t OsCallIsUserAnAdmin(ProcAddress function) {
    if (HostOperationFails(kOpCallIsUserAnAdmin) || function != Fake<ProcAddress>(&gIsUserAnAdmin)) return 0;
    return TheMachine().adminAnswer;
}

// ---- Text conversions ----

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char b = static_cast<unsigned char>(text[i]);
        uint32_t c = b;
        int extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        if (extra > 0) c = b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < text.size(); k++) c = (c << 6) | (text[i + k] & 0x3F);
        i += 1 + extra;
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::u16string DecodeSystemCodePage(const std::string& bytes) {
    iconv_t converter = iconv_open("UTF-16LE", HostSystemUsesCodePage932() ? "CP932" : "CP1252");
    std::u16string out;
    if (converter == reinterpret_cast<iconv_t>(-1)) return out;
    std::string input = bytes;
    char* in = input.data();
    size_t inLeft = input.size();
    std::string output(input.size() * 4 + 4, '\0');
    char* outPointer = output.data();
    size_t outLeft = output.size();
    while (inLeft > 0) {
        if (iconv(converter, &in, &inLeft, &outPointer, &outLeft) != static_cast<size_t>(-1)) break;
        // A byte the code page does not define becomes U+FFFD, as a lenient reader would.
        in++;
        inLeft--;
        if (outLeft >= 2) {
            *outPointer++ = '\xFD';
            *outPointer++ = '\xFF';
            outLeft -= 2;
        }
    }
    iconv_close(converter);
    size_t produced = output.size() - outLeft;
    for (size_t i = 0; i + 1 < produced; i += 2) {
        out += static_cast<char16_t>(static_cast<unsigned char>(output[i]) |
                                     (static_cast<unsigned char>(output[i + 1]) << 8));
    }
    return out;
}
