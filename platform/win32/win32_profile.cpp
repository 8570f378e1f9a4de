#include "platform/profile.h"

#include "platform/win32/win32_text.h"

uint32_t OsReadProfileString(const char16_t* section, const char16_t* key, const char16_t* defaultText,
                             char16_t* buffer, uint32_t capacity, const char16_t* path) {
    return GetPrivateProfileStringW(Wide(section), Wide(key), Wide(defaultText), Wide(buffer), capacity,
                                    Wide(path));
}
