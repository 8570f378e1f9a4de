// Every platform operation by name, once (all but OsGetLastError, which only
// reports on the call before it). The host build uses the list to make any
// operation fail on request, and tests walk it to fail each one in turn: an
// operation added to the platform headers must be added here too.
#pragma once

#define PLATFORM_OPERATIONS(X) \
    X(RegOpenMachineKey)       \
    X(RegQueryValue)           \
    X(RegSetValue)             \
    X(RegCloseKey)             \
    X(ReadProfileString)       \
    X(GetFileAttributes)       \
    X(DeleteFile)              \
    X(CreateFileForWriting)    \
    X(WriteFile)               \
    X(CloseFile)               \
    X(OpenFileShareRead)       \
    X(ReplaceFile)             \
    X(CreateMutex)             \
    X(GetModuleFileName)       \
    X(GetModuleHandle)         \
    X(FindResource)            \
    X(SizeofResource)          \
    X(LoadResourceBytes)       \
    X(LoadLibrary)             \
    X(FreeLibrary)             \
    X(GetProcAddress)          \
    X(GetProcAddressByOrdinal) \
    X(CallIsWow64Process)      \
    X(CallIsUserAnAdmin)       \
    X(GetVersionEx)            \
    X(GetSystemLanguageName)   \
    X(DialogBox)               \
    X(EndDialog)               \
    X(SetWindowText)           \
    X(SetDlgItemText)          \
    X(GetDlgItemText)          \
    X(GetDlgItem)              \
    X(EnableWindow)            \
    X(SetFocus)                \
    X(PostMessage)             \
    X(MessageBox)              \
    X(LoadStockIcon)           \
    X(InvalidateClient)        \
    X(BeginPaint)              \
    X(EndPaint)                \
    X(GetDC)                   \
    X(ReleaseDC)               \
    X(DrawIcon)

enum PlatformOperation {
#define PLATFORM_OPERATION_ENUM(name) kOp##name,
    PLATFORM_OPERATIONS(PLATFORM_OPERATION_ENUM)
#undef PLATFORM_OPERATION_ENUM
        kPlatformOperationCount
};
