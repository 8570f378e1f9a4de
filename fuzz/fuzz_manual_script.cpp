// The manual restoration script, read back by a .reg reader of its own that
// knows the Registry Editor 5.00 format and nothing of the writer: every
// script must hold the header, the key of the registry view in use and
// exactly the two values, each of them exactly as it was to be written.
//
// Input: one byte of switches, two bytes of owner length, then the values.
// Bit 0: under WOW64; bit 1: each byte is one code unit (bytes from 0x80 up
// land in the CJK range), else the values are UTF-16LE. The first `length`
// code units (at most 1024) are the owner, the next at most 1024 the
// organization; a value ends at its first NUL, as in the program's buffers.
#include <string>
#include <vector>

#include "app/app_state.h"
#include "fuzz/fuzz_machine.h"
#include "sidefiles/manual_restore_script.h"

namespace {

AppState gState;

const uint32_t kRegSz = 1;

struct RegValue {
    std::u16string name;
    uint32_t type;
    std::string data;  // the value's bytes as the registry would store them
};

struct RegFile {
    std::u16string key;
    std::vector<RegValue> values;
};

// ---- A reader for .reg files (version 5.00, UTF-16LE) ----

int HexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// A quoted string starting at line[at] == '"', with \\ and \" as its only
// escapes. Leaves `at` after the closing quotation mark.
bool ParseQuoted(const std::u16string& line, size_t* at, std::u16string* text) {
    if (*at >= line.size() || line[*at] != u'"') return false;
    text->clear();
    for (size_t i = *at + 1; i < line.size(); i++) {
        char16_t c = line[i];
        if (c == u'"') {
            *at = i + 1;
            return true;
        }
        if (c == u'\\') {
            if (i + 1 >= line.size() || (line[i + 1] != u'\\' && line[i + 1] != u'"')) return false;
            c = line[++i];
        }
        if (c < 0x20) return false;  // control characters only ever appear in hex form
        *text += c;
    }
    return false;
}

// "hex(n):" byte list, continued over lines that end in a backslash.
bool ParseHex(const std::vector<std::u16string>& lines, size_t* lineIndex, size_t at, std::string* bytes) {
    std::u16string list = lines[*lineIndex].substr(at);
    while (!list.empty() && list.back() == u'\\') {
        list.pop_back();
        if (++*lineIndex >= lines.size()) return false;
        const std::u16string& next = lines[*lineIndex];
        size_t start = next.find_first_not_of(u' ');
        if (start == 0 || start == std::u16string::npos) return false;  // a continuation is indented
        list += next.substr(start);
    }
    bytes->clear();
    if (list.empty()) return true;
    for (size_t i = 0;; i += 3) {
        if (i + 2 > list.size()) return false;
        int high = HexDigit(list[i]);
        int low = HexDigit(list[i + 1]);
        if (high < 0 || low < 0) return false;
        *bytes += static_cast<char>(high * 16 + low);
        if (i + 2 == list.size()) return true;
        if (list[i + 2] != u',') return false;
    }
}

bool ParseRegFile(const std::string& bytes, RegFile* file) {
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return false;
    std::u16string text = FuzzUtf16(reinterpret_cast<const uint8_t*>(bytes.data()) + 2, bytes.size() - 2);
    // Lines end in CR LF, the last one too; a lone CR or LF is an error.
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(u"\r\n", start);
        if (end == std::u16string::npos) return false;
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    for (const std::u16string& line : lines) {
        if (line.find_first_of(u"\r\n") != std::u16string::npos) return false;
    }
    if (lines.size() < 3 || lines[0] != u"Windows Registry Editor Version 5.00" || !lines[1].empty()) return false;
    const std::u16string& keyLine = lines[2];
    if (keyLine.size() < 2 || keyLine.front() != u'[' || keyLine.back() != u']') return false;
    file->key = keyLine.substr(1, keyLine.size() - 2);
    for (size_t i = 3; i < lines.size(); i++) {
        const std::u16string& line = lines[i];
        RegValue value;
        size_t at = 0;
        if (!ParseQuoted(line, &at, &value.name) || at >= line.size() || line[at] != u'=') return false;
        at++;
        if (at < line.size() && line[at] == u'"') {
            std::u16string string;
            if (!ParseQuoted(line, &at, &string) || at != line.size()) return false;
            string += u'\0';
            value.type = kRegSz;
            value.data.assign(reinterpret_cast<const char*>(string.data()), string.size() * 2);
        } else if (line.compare(at, 7, u"hex(1):") == 0) {
            value.type = kRegSz;
            if (!ParseHex(lines, &i, at + 7, &value.data)) return false;
        } else {
            return false;  // dword, binary and the rest never appear here
        }
        file->values.push_back(value);
    }
    return true;
}

// ---- The target ----

std::u16string Values(const uint8_t* data, size_t size, bool bytewise) {
    if (!bytewise) return FuzzUtf16(data, size);
    std::u16string text;
    for (size_t i = 0; i < size; i++) {
        text += static_cast<char16_t>(data[i] < 0x80 ? data[i] : 0x3000 + data[i]);
    }
    return text;
}

std::string StoredBytes(const std::u16string& value) {
    std::u16string withNul = value + u'\0';
    return std::string(reinterpret_cast<const char*>(withNul.data()), withNul.size() * 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    FuzzMachineReset(false);
    bool wow64 = (data[0] & 1) != 0;
    std::u16string values = Values(data + 3, size - 3, (data[0] & 2) != 0);
    size_t ownerLength = static_cast<size_t>(data[1] | (data[2] << 8)) % (kMaxValueLength + 1);
    std::u16string owner = values.substr(0, ownerLength);
    std::u16string organization = values.substr(owner.size(), kMaxValueLength);
    owner = owner.substr(0, owner.find(u'\0'));
    organization = organization.substr(0, organization.find(u'\0'));

    gState = AppState();
    gState.isWow64 = wow64 ? 1 : 0;
    owner.copy(gState.newOwner.text, owner.size());
    organization.copy(gState.newOrganization.text, organization.size());
    WriteManualRestoreFile(&gState);

    RegFile script;
    FUZZ_CHECK(ParseRegFile(FuzzReadFile("Kestrawn.reg"), &script));
    FUZZ_CHECK(script.key == (wow64 ? u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion"
                                    : u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"));
    FUZZ_CHECK(script.values.size() == 2);
    FUZZ_CHECK(script.values[0].name == u"RegisteredOwner");
    FUZZ_CHECK(script.values[0].type == kRegSz);
    FUZZ_CHECK(script.values[0].data == StoredBytes(owner));
    FUZZ_CHECK(script.values[1].name == u"RegisteredOrganization");
    FUZZ_CHECK(script.values[1].type == kRegSz);
    FUZZ_CHECK(script.values[1].data == StoredBytes(organization));
    return 0;
}
