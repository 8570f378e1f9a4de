// Files beside the executable: attributes, deletion, binary writing and the
// read-sharing open that serves as a lock.
#pragma once

#include "platform/platform_types.h"

const uint32_t kInvalidFileAttributes = 0xFFFFFFFF;  // INVALID_FILE_ATTRIBUTES
const uint32_t kFileAttributeReadOnly = 0x01;        // FILE_ATTRIBUTE_READONLY
const uint32_t kFileAttributeDirectory = 0x10;       // FILE_ATTRIBUTE_DIRECTORY

// GetFileAttributesW. On kInvalidFileAttributes, OsGetLastError tells a path
// that names nothing (kErrorFileNotFound, kErrorPathNotFound) from one that
// could not be examined (any other code).
uint32_t OsGetFileAttributes(const char16_t* path);

// DeleteFileW.
bool OsDeleteFile(const char16_t* path);

// Creates the file, or truncates an existing one, for binary writing.
// kInvalidFileHandle on failure (a directory, a read-only or locked file, a
// folder that cannot be written).
FileHandle OsCreateFileForWriting(const char16_t* path);

// Writes all byteCount bytes; false when the write failed or was short.
// A count of 0 writes nothing and succeeds.
bool OsWriteFile(FileHandle file, const void* bytes, uint32_t byteCount);

// CloseHandle for any file handle: written files and the lock alike.
void OsCloseFile(FileHandle file);

// CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING): while the
// handle is open, others may read the file but not write or delete it.
// kInvalidFileHandle on failure.
FileHandle OsOpenFileShareRead(const char16_t* path);

// MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING): replaces `to` whole.
bool OsReplaceFile(const char16_t* from, const char16_t* to);
