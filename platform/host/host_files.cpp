// Real files in the test folder, with what POSIX lacks emulated on top: the
// read-only attribute (root ignores permission bits), a folder that refuses new
// files, and Windows share modes for the program's lock and other processes.
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>

#include "platform/files.h"
#include "platform/host/host_internal.h"
#include "platform/host/host_machine.h"

namespace {

struct OpenFile {
    std::string path;
    FILE* writing;  // null for the read-sharing lock
};

struct Files {
    std::set<std::string> readOnly;       // native paths
    std::set<std::string> lockedByOthers;  // held open for writing by another process
    std::set<OpenFile*> open;
    bool folderWritable = true;
};

Files& TheFiles() {
    static Files files;
    return files;
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Someone holds the file: our own lock or another process's write handle.
bool IsHeld(const std::string& path) {
    Files& files = TheFiles();
    if (files.lockedByOthers.count(path) != 0) return true;
    for (OpenFile* file : files.open) {
        if (file->path == path) return true;
    }
    return false;
}

OpenFile* AsOpenFile(FileHandle handle) {
    OpenFile* file = reinterpret_cast<OpenFile*>(handle);
    return TheFiles().open.count(file) != 0 ? file : nullptr;
}

}  // namespace

void HostResetFiles() {
    Files& files = TheFiles();
    for (OpenFile* file : files.open) {
        if (file->writing != nullptr) fclose(file->writing);
        delete file;
    }
    files = Files();
}

std::string HostNativePath(const char16_t* path) {
    std::string native = Utf16ToUtf8(path);
    for (char& c : native) {
        if (c == '\\') c = '/';
    }
    if (native.empty() || native[0] != '/') native = HostFolder() + "/current/" + native;
    return native;
}

void HostWriteFile(const std::string& fileName, const std::string& bytes) {
    std::ofstream(HostPath(fileName), std::ios::binary | std::ios::trunc) << bytes;
}

bool HostReadFile(const std::string& fileName, std::string* bytes) {
    std::ifstream file(HostPath(fileName), std::ios::binary);
    if (!file || IsDirectory(HostPath(fileName))) return false;
    std::stringstream content;
    content << file.rdbuf();
    *bytes = content.str();
    return true;
}

bool HostFileExists(const std::string& fileName) { return Exists(HostPath(fileName)); }
void HostMakeDirectory(const std::string& fileName) { mkdir(HostPath(fileName).c_str(), 0755); }

void HostSetReadOnly(const std::string& fileName, bool readOnly) {
    if (readOnly) {
        TheFiles().readOnly.insert(HostPath(fileName));
    } else {
        TheFiles().readOnly.erase(HostPath(fileName));
    }
}

void HostSetFolderWritable(bool writable) { TheFiles().folderWritable = writable; }
void HostLockForWriting(const std::string& fileName) { TheFiles().lockedByOthers.insert(HostPath(fileName)); }

bool HostIsLockedByProgram(const std::string& fileName) {
    for (OpenFile* file : TheFiles().open) {
        if (file->path == HostPath(fileName) && file->writing == nullptr) return true;
    }
    return false;
}

int HostOpenFiles() { return static_cast<int>(TheFiles().open.size()); }

uint32_t OsGetFileAttributes(const char16_t* path) {
    // As GetFileAttributesW: a failure leaves its reason for GetLastError.
    if (HostOperationFails(kOpGetFileAttributes)) {
        HostSetLastError(kErrorAccessDenied);
        return kInvalidFileAttributes;
    }
    std::string native = HostNativePath(path);
    if (!Exists(native)) {
        HostSetLastError(kErrorFileNotFound);
        return kInvalidFileAttributes;
    }
    uint32_t attributes = IsDirectory(native) ? kFileAttributeDirectory : 0x80;  // FILE_ATTRIBUTE_NORMAL
    if (TheFiles().readOnly.count(native) != 0) attributes = (attributes & ~0x80u) | kFileAttributeReadOnly;
    return attributes;
}

bool OsDeleteFile(const char16_t* path) {
    if (HostOperationFails(kOpDeleteFile)) return false;
    std::string native = HostNativePath(path);
    if (IsDirectory(native) || IsHeld(native) || TheFiles().readOnly.count(native) != 0) return false;
    return unlink(native.c_str()) == 0;
}

FileHandle OsCreateFileForWriting(const char16_t* path) {
    if (HostOperationFails(kOpCreateFileForWriting)) return kInvalidFileHandle;
    Files& files = TheFiles();
    std::string native = HostNativePath(path);
    if (IsDirectory(native) || IsHeld(native) || files.readOnly.count(native) != 0) return kInvalidFileHandle;
    if (!files.folderWritable && !Exists(native)) return kInvalidFileHandle;
    FILE* stream = fopen(native.c_str(), "wb");
    if (stream == nullptr) return kInvalidFileHandle;
    OpenFile* file = new OpenFile{native, stream};
    files.open.insert(file);
    return reinterpret_cast<FileHandle>(file);
}

bool OsWriteFile(FileHandle handle, const void* bytes, uint32_t byteCount) {
    if (HostOperationFails(kOpWriteFile)) return false;
    OpenFile* file = AsOpenFile(handle);
    if (file == nullptr || file->writing == nullptr) return false;
    if (byteCount == 0) return true;
    // WriteFile hands the bytes to the system at once: they are in the file
    // even if the handle is never closed.
    bool written = fwrite(bytes, 1, byteCount, file->writing) == byteCount;
    return fflush(file->writing) == 0 && written;
}

void OsCloseFile(FileHandle handle) {
    if (HostOperationFails(kOpCloseFile)) return;
    OpenFile* file = AsOpenFile(handle);
    if (file == nullptr) return;
    if (file->writing != nullptr) fclose(file->writing);
    TheFiles().open.erase(file);
    delete file;
}

FileHandle OsOpenFileShareRead(const char16_t* path) {
    if (HostOperationFails(kOpOpenFileShareRead)) return kInvalidFileHandle;
    Files& files = TheFiles();
    std::string native = HostNativePath(path);
    if (!Exists(native) || IsDirectory(native) || files.lockedByOthers.count(native) != 0) return kInvalidFileHandle;
    // Another open for writing shares nothing: the lock cannot be had.
    for (OpenFile* other : files.open) {
        if (other->path == native && other->writing != nullptr) return kInvalidFileHandle;
    }
    OpenFile* file = new OpenFile{native, nullptr};
    files.open.insert(file);
    return reinterpret_cast<FileHandle>(file);
}

bool OsReplaceFile(const char16_t* from, const char16_t* to) {
    if (HostOperationFails(kOpReplaceFile)) return false;
    Files& files = TheFiles();
    std::string source = HostNativePath(from);
    std::string target = HostNativePath(to);
    if (!Exists(source) || IsDirectory(source) || IsDirectory(target)) return false;
    if (IsHeld(source) || IsHeld(target) || files.readOnly.count(target) != 0) return false;
    return rename(source.c_str(), target.c_str()) == 0;
}
