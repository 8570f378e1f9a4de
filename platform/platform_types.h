// Handles and constants shared by every platform header.
//
// The logic never sees <windows.h>. Each Windows handle type gets an opaque
// pointer type of its own here, and each Windows constant the logic needs is
// repeated under our own name with the same value. platform/win32 converts
// between the two at its boundary; platform/host gives them meanings of its own.
#pragma once

#include <stdint.h>

struct OpaqueWindow;
struct OpaqueModule;
struct OpaqueFile;
struct OpaqueIcon;
struct OpaqueDeviceContext;
struct OpaqueRegistryKey;
struct OpaqueResource;
struct OpaqueMutex;

typedef OpaqueWindow* WindowHandle;          // HWND
typedef OpaqueModule* ModuleHandle;          // HMODULE / HINSTANCE
typedef OpaqueFile* FileHandle;              // HANDLE of a file
typedef OpaqueIcon* IconHandle;              // HICON
typedef OpaqueDeviceContext* DeviceContext;  // HDC
typedef OpaqueRegistryKey* RegistryKey;      // HKEY
typedef OpaqueResource* ResourceHandle;      // HRSRC
typedef OpaqueMutex* MutexHandle;            // HANDLE of a mutex

// INVALID_HANDLE_VALUE: what a failed CreateFileW returns.
#define kInvalidFileHandle (reinterpret_cast<FileHandle>(static_cast<intptr_t>(-1)))

// Windows error codes the logic looks at.
const uint32_t kErrorSuccess = 0;
const uint32_t kErrorFileNotFound = 2;
const uint32_t kErrorPathNotFound = 3;
const uint32_t kErrorAccessDenied = 5;
const uint32_t kErrorMoreData = 234;
const uint32_t kErrorAlreadyExists = 183;
