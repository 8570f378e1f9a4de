// A profile-file reader with the rules the program relies on from
// GetPrivateProfileStringW, so that host tests read the string tables and the
// side files as Windows does.
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "platform/host/host_internal.h"
#include "platform/host/host_machine.h"
#include "platform/profile.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Trim(const std::u16string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) begin++;
    while (end > begin && IsBlank(text[end - 1])) end--;
    return text.substr(begin, end - begin);
}

bool SameName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++) {
        char16_t x = (a[i] >= u'a' && a[i] <= u'z') ? static_cast<char16_t>(a[i] - 32) : a[i];
        char16_t y = (b[i] >= u'a' && b[i] <= u'z') ? static_cast<char16_t>(b[i] - 32) : b[i];
        if (x != y) return false;
    }
    return true;
}

// The file as UTF-16: UTF-16LE after a byte-order mark, else the system code page.
bool ReadAsText(const std::string& path, std::u16string* text) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::stringstream content;
    content << file.rdbuf();
    std::string bytes = content.str();
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text->clear();
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            text->push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                  (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        }
    } else {
        *text = DecodeSystemCodePage(bytes);
    }
    return true;
}

// The value of key in section, or false. The first matching entry wins.
bool FindValue(const std::u16string& text, const std::u16string& section, const std::u16string& key,
               std::u16string* value) {
    bool inSection = false;
    size_t lineStart = 0;
    while (lineStart <= text.size()) {
        size_t lineEnd = text.find_first_of(u"\r\n", lineStart);
        if (lineEnd == std::u16string::npos) lineEnd = text.size();
        std::u16string line = Trim(text.substr(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        if (line.empty() || line[0] == u';') continue;
        if (line[0] == u'[') {
            size_t close = line.find(u']');
            inSection = close != std::u16string::npos && SameName(Trim(line.substr(1, close - 1)), section);
            continue;
        }
        size_t equals = line.find(u'=');
        if (!inSection || equals == std::u16string::npos || !SameName(Trim(line.substr(0, equals)), key)) continue;
        *value = Trim(line.substr(equals + 1));
        // One matching pair of quotes around the value goes; what lies between stays.
        if (value->size() >= 2 && (value->front() == u'"' || value->front() == u'\'') &&
            value->back() == value->front()) {
            *value = value->substr(1, value->size() - 2);
        }
        return true;
    }
    return false;
}

}  // namespace

uint32_t OsReadProfileString(const char16_t* section, const char16_t* key, const char16_t* defaultText,
                             char16_t* buffer, uint32_t capacity, const char16_t* path) {
    if (capacity == 0) return 0;
    std::u16string value = defaultText;
    std::u16string text;
    bool fails = HostOperationFails(kOpReadProfileString);
    if (!fails && ReadAsText(HostNativePath(path), &text)) FindValue(text, section, key, &value);
    uint32_t count = 0;
    for (; count < value.size() && count + 1 < capacity; count++) buffer[count] = value[count];
    buffer[count] = 0;
    return count;
}
