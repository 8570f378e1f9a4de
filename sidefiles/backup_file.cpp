#include "sidefiles/backup_file.h"

#include "platform/files.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "text/side_file_path.h"
#include "text/text_util.h"

namespace {

const char16_t kSection[] = u"RESTORE_INFO";
const char16_t kOwnerKey[] = u"RegisteredOwner";
const char16_t kOrganizationKey[] = u"RegisteredOrganization";
const char16_t kTemporaryFileName[] = u"Kestrawn.dat.tmp";

// The fixed pieces around the two values.
const char16_t kHead[] = u"\uFEFF[RESTORE_INFO]\r\nRegisteredOwner = \"";
const char16_t kMiddle[] = u"\"\r\nRegisteredOrganization = \"";
const char16_t kTail[] = u"\"\r\n";

// Values kept from the earlier backup while a new one is written.
TextBuffer gKeptOwner;
TextBuffer gKeptOrganization;

bool IsFile(const char16_t* path) {
    uint32_t attributes = OsGetFileAttributes(path);
    return attributes != kInvalidFileAttributes && (attributes & kFileAttributeDirectory) == 0;
}

bool WriteText(FileHandle file, const char16_t* text) {
    return OsWriteFile(file, text, TextLength(text) * sizeof(char16_t));
}

// Reads one value of a backup into buffer; a value over 1024 is zero-filled.
void ReadBackupValue(const char16_t* path, const char16_t* key, TextBuffer* buffer) {
    OsReadProfileString(kSection, key, u"", buffer->text, kTextBufferLength, path);
    buffer->text[kTextBufferLength - 1] = 0;
}

void DiscardOverlong(TextBuffer* buffer) {
    if (TextLength(buffer->text) > kMaxValueLength) ZeroFill(buffer);
}

// The default of a read of the earlier backup. No value can equal it, since
// a line break always ends a value, so getting it back means that the key is
// missing or that the file could not be read.
const char16_t kUnread[] = u"\n";

// What to write for one value: the current value when valid, else what the
// earlier backup held for it (empty when there is none). False when the
// earlier backup exists but what it holds could not be learned: replacing it
// then could lose the one copy of a value the registry no longer has.
// attributes are those of the earlier backup, kInvalidFileAttributes when
// there is none.
bool ValueToSave(bool valid, const TextBuffer& current, const char16_t* backupPath, uint32_t attributes,
                 const char16_t* key, TextBuffer* kept, const char16_t** value) {
    *value = current.text;
    if (valid) return true;
    ZeroFill(kept);
    *value = kept->text;
    if (attributes == kInvalidFileAttributes || (attributes & kFileAttributeDirectory) != 0) return true;
    OsReadProfileString(kSection, key, kUnread, kept->text, kTextBufferLength, backupPath);
    kept->text[kTextBufferLength - 1] = 0;
    if (TextEquals(kept->text, kUnread)) return false;
    DiscardOverlong(kept);
    return true;
}

}  // namespace

void SaveBackup(AppState* state) {
    const char16_t* backupPath = SideFilePath(kBackupFileName);
    // When it is unclear whether there is an earlier backup, it may hold the
    // one copy of a value, so it is not replaced.
    uint32_t attributes = OsGetFileAttributes(backupPath);
    if (attributes == kInvalidFileAttributes) {
        uint32_t error = OsGetLastError();
        if (error != kErrorFileNotFound && error != kErrorPathNotFound) return;
    } else if ((attributes & kFileAttributeReadOnly) != 0) {
        // A read-only backup is left as it is. Windows refuses to replace it,
        // but not every system that runs Windows programs does, so ask first.
        return;
    }
    const char16_t* owner = nullptr;
    const char16_t* organization = nullptr;
    if (!ValueToSave(state->ownerValid != 0, state->currentOwner, backupPath, attributes, kOwnerKey, &gKeptOwner,
                     &owner) ||
        !ValueToSave(state->organizationValid != 0, state->currentOrganization, backupPath, attributes,
                     kOrganizationKey, &gKeptOrganization, &organization)) {
        return;
    }

    const char16_t* temporaryPath = SideFilePath(kTemporaryFileName);
    FileHandle file = OsCreateFileForWriting(temporaryPath);
    if (file == kInvalidFileHandle) return;
    bool written = WriteText(file, kHead) && WriteText(file, owner) && WriteText(file, kMiddle) &&
                   WriteText(file, organization) && WriteText(file, kTail);
    OsCloseFile(file);
    if (!written || !OsReplaceFile(temporaryPath, backupPath)) OsDeleteFile(temporaryPath);
}

void LoadBackup(AppState* state) {
    const char16_t* path = SideFilePath(kBackupFileName);
    if (!IsFile(path)) return;
    state->backupLoaded = 1;
    ReadBackupValue(path, kOwnerKey, &state->backupOwner);
    ReadBackupValue(path, kOrganizationKey, &state->backupOrganization);
    DiscardOverlong(&state->backupOwner);
    DiscardOverlong(&state->backupOrganization);
}

void DeleteBackup() {
    const char16_t* path = SideFilePath(kBackupFileName);
    if (IsFile(path)) OsDeleteFile(path);
}
