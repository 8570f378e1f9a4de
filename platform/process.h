// The process and its modules: the single-instance mutex, the last-error code,
// the executable's path and resources, and run-time lookup of functions that
// older Windows versions lack.
#pragma once

#include "platform/platform_types.h"

// CreateMutexW(no security attributes, initialOwner, name). The handle may be 0.
MutexHandle OsCreateMutex(bool initialOwner, const char16_t* name);

// GetLastError, as left by the platform call just before.
uint32_t OsGetLastError();

// GetModuleFileNameW(NULL, ...): the executable's full path. Returns the
// number of code units written without the NUL; 0 on failure.
uint32_t OsGetModuleFileName(char16_t* buffer, uint32_t capacity);

// GetModuleHandleW: 0 for the executable itself, else an already loaded DLL.
ModuleHandle OsGetModuleHandle(const char16_t* name);

// FindResourceW, SizeofResource, LoadResource + LockResource.
ResourceHandle OsFindResource(ModuleHandle module, const char16_t* name, const char16_t* type);
uint32_t OsSizeofResource(ModuleHandle module, ResourceHandle resource);
const void* OsLoadResourceBytes(ModuleHandle module, ResourceHandle resource);

// LoadLibraryW and FreeLibrary.
ModuleHandle OsLoadLibrary(const char16_t* name);
void OsFreeLibrary(ModuleHandle module);

// GetProcAddress by name or by export ordinal. 0 when not exported.
typedef void (*ProcAddress)();
ProcAddress OsGetProcAddress(ModuleHandle module, const char* name);
ProcAddress OsGetProcAddressByOrdinal(ModuleHandle module, uint16_t ordinal);

// Calls an entry point found above with the Windows calling convention.
// IsWow64Process(GetCurrentProcess(), &result): false when the call failed.
bool OsCallIsWow64Process(ProcAddress isWow64Process, bool* underWow64);
// IsUserAnAdmin(): its BOOL result.
int32_t OsCallIsUserAnAdmin(ProcAddress isUserAnAdmin);
