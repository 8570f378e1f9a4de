// Shared between the host platform's files; not for tests.
#pragma once

#include <stdint.h>

#include <string>

void HostResetRegistry();
void HostResetFiles();
void HostResetDialogs();

// What OsGetLastError reports after a platform call that sets it.
void HostSetLastError(uint32_t error);

// UTF-16 paths of the logic to the host's UTF-8 paths. A relative path is
// taken relative to the emulated current directory, "<folder>/current".
std::string HostNativePath(const char16_t* path);
std::string Utf16ToUtf8(const std::u16string& text);
std::u16string Utf8ToUtf16(const std::string& text);
// 8-bit text in the emulated system code page (932 for Japanese, else 1252).
std::u16string DecodeSystemCodePage(const std::string& bytes);
