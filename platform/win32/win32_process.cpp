#include "platform/process.h"

#include "platform/win32/win32_text.h"

namespace {
HMODULE ToModule(ModuleHandle module) { return reinterpret_cast<HMODULE>(module); }
ProcAddress ToProc(FARPROC proc) { return reinterpret_cast<ProcAddress>(proc); }
}  // namespace

MutexHandle OsCreateMutex(bool initialOwner, const char16_t* name) {
    return reinterpret_cast<MutexHandle>(CreateMutexW(nullptr, initialOwner ? TRUE : FALSE, Wide(name)));
}

uint32_t OsGetLastError() { return GetLastError(); }

uint32_t OsGetModuleFileName(char16_t* buffer, uint32_t capacity) {
    return GetModuleFileNameW(nullptr, Wide(buffer), capacity);
}

ModuleHandle OsGetModuleHandle(const char16_t* name) {
    return reinterpret_cast<ModuleHandle>(GetModuleHandleW(name == nullptr ? nullptr : Wide(name)));
}

ResourceHandle OsFindResource(ModuleHandle module, const char16_t* name, const char16_t* type) {
    return reinterpret_cast<ResourceHandle>(FindResourceW(ToModule(module), Wide(name), Wide(type)));
}

uint32_t OsSizeofResource(ModuleHandle module, ResourceHandle resource) {
    return SizeofResource(ToModule(module), reinterpret_cast<HRSRC>(resource));
}

const void* OsLoadResourceBytes(ModuleHandle module, ResourceHandle resource) {
    HGLOBAL loaded = LoadResource(ToModule(module), reinterpret_cast<HRSRC>(resource));
    return loaded == nullptr ? nullptr : LockResource(loaded);
}

ModuleHandle OsLoadLibrary(const char16_t* name) { return reinterpret_cast<ModuleHandle>(LoadLibraryW(Wide(name))); }

void OsFreeLibrary(ModuleHandle module) { FreeLibrary(ToModule(module)); }

ProcAddress OsGetProcAddress(ModuleHandle module, const char* name) {
    return ToProc(GetProcAddress(ToModule(module), name));
}

ProcAddress OsGetProcAddressByOrdinal(ModuleHandle module, uint16_t ordinal) {
    return ToProc(GetProcAddress(ToModule(module), reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(ordinal))));
}

bool OsCallIsWow64Process(ProcAddress isWow64Process, bool* underWow64) {
    typedef BOOL(WINAPI * IsWow64ProcessFunction)(HANDLE, PBOOL);
    BOOL result = FALSE;
    if (!reinterpret_cast<IsWow64ProcessFunction>(isWow64Process)(GetCurrentProcess(), &result)) return false;
    *underWow64 = result != FALSE;
    return true;
}

int32_t OsCallIsUserAnAdmin(ProcAddress isUserAnAdmin) {
    typedef BOOL(WINAPI * IsUserAnAdminFunction)();
    return reinterpret_cast<IsUserAnAdminFunction>(isUserAnAdmin)();
}
