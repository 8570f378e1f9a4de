// The machine's registered owner and organization, under
// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion.
#pragma once

#include "app/app_state.h"

extern const char16_t kUserInfoKey[];            // "SOFTWARE\Microsoft\Windows NT\CurrentVersion"
extern const char16_t kOwnerValueName[];         // "RegisteredOwner"
extern const char16_t kOrganizationValueName[];  // "RegisteredOrganization"

const int kReadNotEmpty = 0;  // read, not empty
const int kReadEmpty = -1;    // read, first code unit NUL
const int kReadFailed = -2;   // no key, no value, over 8192 bytes, or refused

// Reads a string value of HKEY_LOCAL_MACHINE\subkey into buffer, whatever its
// type, at most 8192 bytes. The buffer is zero-filled first. A value that fills
// all 4096 code units without a NUL is read; its length then counts as 4096.
int ReadMachineString(const char16_t* subkey, const char16_t* valueName, TextBuffer* buffer);

// Fills currentOwner, currentOrganization, ownerValid and organizationValid.
// The owner must exist and be 1 to 1024 long, the organization must exist and
// be at most 1024 long; a value over 1024 is zero-filled.
void ReadCurrentUserInfo(AppState* state);

// Writes value as REG_SZ, its NUL included. True on success.
bool WriteUserInfoValue(const char16_t* value, const char16_t* valueName);
