#include "platform/registry.h"

#include "platform/win32/win32_text.h"

uint32_t OsRegOpenMachineKey(const char16_t* subkey, uint32_t access, RegistryKey* key) {
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(subkey), 0, access, &opened);
    *key = reinterpret_cast<RegistryKey>(opened);
    return static_cast<uint32_t>(result);
}

uint32_t OsRegQueryValue(RegistryKey key, const char16_t* valueName, uint32_t* type, void* data,
                         uint32_t* byteSize) {
    DWORD valueType = 0;
    DWORD size = *byteSize;
    LONG result = RegQueryValueExW(reinterpret_cast<HKEY>(key), Wide(valueName), nullptr, &valueType,
                                   static_cast<BYTE*>(data), &size);
    *type = valueType;
    *byteSize = size;
    return static_cast<uint32_t>(result);
}

uint32_t OsRegSetValue(RegistryKey key, const char16_t* valueName, uint32_t type, const void* data,
                       uint32_t byteSize) {
    return static_cast<uint32_t>(RegSetValueExW(reinterpret_cast<HKEY>(key), Wide(valueName), 0, type,
                                                static_cast<const BYTE*>(data), byteSize));
}

void OsRegCloseKey(RegistryKey key) { RegCloseKey(reinterpret_cast<HKEY>(key)); }
