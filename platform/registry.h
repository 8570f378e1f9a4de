// Registry access: thin counterparts of RegOpenKeyExW, RegQueryValueExW,
// RegSetValueExW and RegCloseKey, always under HKEY_LOCAL_MACHINE and without a
// registry-view flag (a 32-bit process under WOW64 sees the 32-bit view).
#pragma once

#include "platform/platform_types.h"

const uint32_t kKeyRead = 0x20019;       // KEY_READ
const uint32_t kKeyAllAccess = 0xF003F;  // KEY_ALL_ACCESS
const uint32_t kRegSz = 1;               // REG_SZ

// Opens HKEY_LOCAL_MACHINE\subkey. Returns a Windows error code; on success
// *key holds the open key.
uint32_t OsRegOpenMachineKey(const char16_t* subkey, uint32_t access, RegistryKey* key);

// Reads the data of a value, whatever its type, into data. *byteSize holds the
// capacity on entry and the data's size on return. ERROR_MORE_DATA when the
// data is larger than the capacity.
uint32_t OsRegQueryValue(RegistryKey key, const char16_t* valueName, uint32_t* type, void* data,
                         uint32_t* byteSize);

uint32_t OsRegSetValue(RegistryKey key, const char16_t* valueName, uint32_t type, const void* data,
                       uint32_t byteSize);

void OsRegCloseKey(RegistryKey key);
