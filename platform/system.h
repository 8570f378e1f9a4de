// Questions about the system: its version and the language of its locale.
#pragma once

#include "platform/platform_types.h"

const uint32_t kPlatformWin32Nt = 2;  // VER_PLATFORM_WIN32_NT
const uint8_t kNtWorkstation = 1;     // VER_NT_WORKSTATION

// The members of OSVERSIONINFOEXW that the program looks at.
struct OsVersionInfo {
    uint32_t platformId;
    uint32_t majorVersion;
    uint32_t minorVersion;
    uint8_t productType;
};

// GetVersionExW with an OSVERSIONINFOEXW whose size member is set and whose
// other members are zero. False on failure, *info then untouched.
bool OsGetVersionEx(OsVersionInfo* info);

// GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_SISO639LANGNAME): the ISO 639
// name of the system locale's language ("en", "ja"). The buffer is zero-filled
// first, so a failure leaves it empty.
void OsGetSystemLanguageName(char16_t* buffer, uint32_t capacity);
