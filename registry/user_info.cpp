#include "registry/user_info.h"

#include "platform/registry.h"
#include "text/text_util.h"

const char16_t kUserInfoKey[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const char16_t kOwnerValueName[] = u"RegisteredOwner";
const char16_t kOrganizationValueName[] = u"RegisteredOrganization";

int ReadMachineString(const char16_t* subkey, const char16_t* valueName, TextBuffer* buffer) {
    ZeroFill(buffer);
    RegistryKey key = nullptr;
    if (OsRegOpenMachineKey(subkey, kKeyRead, &key) != kErrorSuccess) return kReadFailed;
    uint32_t type = 0;
    uint32_t byteSize = sizeof(buffer->text);
    uint32_t result = OsRegQueryValue(key, valueName, &type, buffer->text, &byteSize);
    OsRegCloseKey(key);
    if (result != kErrorSuccess) {
        // A failed query may have left bytes behind; the caller gets an empty text.
        ZeroFill(buffer);
        return kReadFailed;
    }
    return TextLength(buffer->text) > 0 ? kReadNotEmpty : kReadEmpty;
}

void ReadCurrentUserInfo(AppState* state) {
    state->ownerValid = 0;
    state->organizationValid = 0;
    int ownerCode = ReadMachineString(kUserInfoKey, kOwnerValueName, &state->currentOwner);
    int organizationCode = ReadMachineString(kUserInfoKey, kOrganizationValueName, &state->currentOrganization);

    if (ownerCode == kReadNotEmpty) {
        if (TextLength(state->currentOwner.text) <= kMaxValueLength) {
            state->ownerValid = 1;
        } else {
            ZeroFill(&state->currentOwner);
        }
    }
    if (organizationCode != kReadFailed) {
        if (TextLength(state->currentOrganization.text) <= kMaxValueLength) {
            state->organizationValid = 1;
        } else {
            ZeroFill(&state->currentOrganization);
        }
    }
}

bool WriteUserInfoValue(const char16_t* value, const char16_t* valueName) {
    RegistryKey key = nullptr;
    if (OsRegOpenMachineKey(kUserInfoKey, kKeyAllAccess, &key) != kErrorSuccess) return false;
    uint32_t byteSize = (TextLength(value) + 1) * sizeof(char16_t);
    bool written = OsRegSetValue(key, valueName, kRegSz, value, byteSize) == kErrorSuccess;
    OsRegCloseKey(key);
    return written;
}
