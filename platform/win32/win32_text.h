// The boundary between the logic's char16_t text and the API's wchar_t text,
// which on Windows are both UTF-16 code units of the same size.
#pragma once

#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 on both sides");

inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* Wide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
