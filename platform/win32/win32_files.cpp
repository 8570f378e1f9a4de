#include "platform/files.h"

#include "platform/win32/win32_text.h"

namespace {
FileHandle ToFileHandle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }
}  // namespace

uint32_t OsGetFileAttributes(const char16_t* path) { return GetFileAttributesW(Wide(path)); }

bool OsDeleteFile(const char16_t* path) { return DeleteFileW(Wide(path)) != 0; }

FileHandle OsCreateFileForWriting(const char16_t* path) {
    return ToFileHandle(
        CreateFileW(Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool OsWriteFile(FileHandle file, const void* bytes, uint32_t byteCount) {
    if (byteCount == 0) return true;
    DWORD written = 0;
    BOOL ok = WriteFile(reinterpret_cast<HANDLE>(file), bytes, byteCount, &written, nullptr);
    return ok != 0 && written == byteCount;
}

void OsCloseFile(FileHandle file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

FileHandle OsOpenFileShareRead(const char16_t* path) {
    return ToFileHandle(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
}

bool OsReplaceFile(const char16_t* from, const char16_t* to) {
    return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
