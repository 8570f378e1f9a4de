#include "sidefiles/custom_file.h"

#include "platform/files.h"
#include "platform/profile.h"
#include "text/side_file_path.h"
#include "text/text_util.h"

bool LoadCustomInfo(AppState* state) {
    const char16_t* path = SideFilePath(kCustomFileName);
    uint32_t attributes = OsGetFileAttributes(path);
    if (attributes == kInvalidFileAttributes || (attributes & kFileAttributeDirectory) != 0) return true;

    const char16_t kSection[] = u"CUSTOM_RESTORE_INFO";
    OsReadProfileString(kSection, u"RegisteredOwner", u"", state->newOwner.text, kTextBufferLength, path);
    OsReadProfileString(kSection, u"RegisteredOrganization", u"", state->newOrganization.text, kTextBufferLength,
                        path);
    state->newOwner.text[kTextBufferLength - 1] = 0;
    state->newOrganization.text[kTextBufferLength - 1] = 0;

    uint32_t ownerLength = TextLength(state->newOwner.text);
    bool acceptable = ownerLength >= 1 && ownerLength <= kMaxValueLength &&
                      TextLength(state->newOrganization.text) <= kMaxValueLength;
    state->customLoaded = 1;
    return acceptable;
}
