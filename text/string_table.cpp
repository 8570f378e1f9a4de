#include "text/string_table.h"

#include "platform/files.h"
#include "platform/process.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "text/side_file_path.h"
#include "text/text_util.h"

namespace {

const int kRingSize = 5;
TextBuffer gLookupRing[kRingSize];
int gRingIndex = -1;  // the first lookup of a run uses buffer 0

bool IsOpenHandle(FileHandle handle) { return handle != nullptr && handle != kInvalidFileHandle; }

char16_t ToUpperAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

}  // namespace

const char16_t* ChooseStringTable(const char16_t* languageName) {
    bool japanese = ToUpperAscii(languageName[0]) == u'J' && ToUpperAscii(languageName[1]) == u'A' &&
                    languageName[2] == 0;
    return japanese ? u"JA" : u"EN";
}

void ExtractStringTable(AppState* state) {
    char16_t language[kMaxPathLength];
    OsGetSystemLanguageName(language, kMaxPathLength);
    language[kMaxPathLength - 1] = 0;
    const char16_t* tableName = ChooseStringTable(language);

    state->operationFailed = 1;
    ModuleHandle module = OsGetModuleHandle(nullptr);
    ResourceHandle resource = OsFindResource(module, tableName, u"LANG");
    if (resource == nullptr) return;
    uint32_t byteCount = OsSizeofResource(module, resource);
    const void* bytes = OsLoadResourceBytes(module, resource);
    if (bytes == nullptr || byteCount == 0) return;

    const char16_t* path = SideFilePath(kStringTableFileName);
    FileHandle file = OsCreateFileForWriting(path);
    if (file == kInvalidFileHandle) return;
    bool written = OsWriteFile(file, bytes, byteCount);
    OsCloseFile(file);
    if (!written) return;

    state->stringTableLock = OsOpenFileShareRead(path);
    if (IsOpenHandle(state->stringTableLock)) state->operationFailed = 0;
}

void RemoveStringTable(AppState* state) {
    const char16_t* path = SideFilePath(kStringTableFileName);
    // The lock forbids deletion, so it goes first, whatever the attributes
    // query below says. A held lock also proves that the path is our file.
    if (IsOpenHandle(state->stringTableLock)) {
        OsCloseFile(state->stringTableLock);
        state->stringTableLock = kInvalidFileHandle;
    } else {
        uint32_t attributes = OsGetFileAttributes(path);
        if (attributes == kInvalidFileAttributes || (attributes & kFileAttributeDirectory) != 0) return;
    }
    OsDeleteFile(path);
}

const char16_t* LookupText(const char16_t* key) {
    gRingIndex = (gRingIndex + 1) % kRingSize;
    char16_t* buffer = gLookupRing[gRingIndex].text;
    OsReadProfileString(u"LOCALIZED", key, key, buffer, kTextBufferLength, SideFilePath(kStringTableFileName));
    buffer[kTextBufferLength - 1] = 0;
    return ExpandLineBreaks(buffer);
}

char16_t* ExpandLineBreaks(char16_t* text) {
    // Moving on by one after a replacement looks at the new LF next, which can
    // never start a pair: "\\n" becomes backslash, CR, LF.
    for (char16_t* p = text; p[0] != 0 && p[1] != 0; p++) {
        if (p[0] == u'\\' && p[1] == u'n') {
            p[0] = u'\r';
            p[1] = u'\n';
        }
    }
    return text;
}
