#include "platform/system.h"

#include "platform/win32/win32_text.h"

bool OsGetVersionEx(OsVersionInfo* info) {
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);  // the extended structure: 284 bytes
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) return false;
    info->platformId = version.dwPlatformId;
    info->majorVersion = version.dwMajorVersion;
    info->minorVersion = version.dwMinorVersion;
    info->productType = version.wProductType;
    return true;
}

void OsGetSystemLanguageName(char16_t* buffer, uint32_t capacity) {
    for (uint32_t i = 0; i < capacity; i++) buffer[i] = 0;
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_SISO639LANGNAME, Wide(buffer), static_cast<int>(capacity));
}
