// Reading INI-style files: the counterpart of GetPrivateProfileStringW.
//
// What callers rely on: "[section]" lines open a section; "key = value" lines
// hold entries, with spaces and tabs around key and value dropped; lines that
// begin with ";" never match; a value of two or more characters that begins and
// ends with a double quote loses those two quotes only. A file that begins with
// FF FE is UTF-16LE; any other file is 8-bit text in the system code page. A
// missing file, section or key gives the default. The result is cut to
// capacity - 1 code units and always NUL-terminated. The file is opened for
// reading only, sharing reading, and never changed.
#pragma once

#include "platform/platform_types.h"

// Returns the number of code units copied, without the NUL.
uint32_t OsReadProfileString(const char16_t* section, const char16_t* key, const char16_t* defaultText,
                             char16_t* buffer, uint32_t capacity, const char16_t* path);
