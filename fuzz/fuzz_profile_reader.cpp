// The profile reader of the host platform, which the unit tests trust to read
// as the system does, over arbitrary files: UTF-16LE after a byte-order mark,
// otherwise 8-bit text in the emulated code page (1252, or 932 for Japanese).
// Also the string-table lookup on top of it.
//
// Input: one byte of switches, then the file. Bit 0: Japanese system locale;
// bit 1: put FF FE in front; bits 2 to 6: a small capacity of 1 to 32 code units.
#include <string>

#include "fuzz/fuzz_machine.h"
#include "platform/profile.h"
#include "text/string_table.h"
#include "text/text_util.h"

namespace {

const char16_t kDefault[] = u"\u2603default";
const uint32_t kFullCapacity = 4096;

struct Query {
    const char16_t* section;
    const char16_t* key;
};
const Query kQueries[] = {
    {u"RESTORE_INFO", u"RegisteredOwner"},        {u"RESTORE_INFO", u"RegisteredOrganization"},
    {u"CUSTOM_RESTORE_INFO", u"RegisteredOwner"}, {u"custom_restore_info", u"registeredorganization"},
    {u"LOCALIZED", u"S_APP_NAME"},                {u"", u""},
};

std::u16string Read(const Query& query, uint32_t capacity, const std::u16string& path) {
    std::u16string buffer(capacity + 1, u'\uAAAA');  // one guard unit past the capacity
    uint32_t count = OsReadProfileString(query.section, query.key, kDefault, &buffer[0], capacity, path.c_str());
    FUZZ_CHECK(count < capacity);
    FUZZ_CHECK(buffer[count] == 0);
    FUZZ_CHECK(buffer[capacity] == u'\uAAAA');
    return buffer.substr(0, count);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    uint8_t switches = data[0];
    FuzzMachineReset((switches & 1) != 0);
    std::string file = (switches & 2) != 0 ? std::string("\xFF\xFE", 2) : std::string();
    file.append(reinterpret_cast<const char*>(data + 1), size - 1);
    FuzzWriteFile("StringTable.dat", reinterpret_cast<const uint8_t*>(file.data()), file.size());
    const std::u16string path = FuzzPath("StringTable.dat");
    const uint32_t smallCapacity = 1 + ((switches >> 2) & 0x1F);

    for (const Query& query : kQueries) {
        std::u16string value = Read(query, kFullCapacity, path);
        // A value never spans a line break, and a second read agrees.
        FUZZ_CHECK(value.find_first_of(u"\r\n") == std::u16string::npos);
        FUZZ_CHECK(Read(query, kFullCapacity, path) == value);
        // A smaller buffer gets the value cut, never anything else.
        FUZZ_CHECK(Read(query, smallCapacity, path) == value.substr(0, smallCapacity - 1));
    }
    // The reader only reads.
    FUZZ_CHECK(FuzzReadFile("StringTable.dat") == file);

    // The string table's lookup: the reader's value, or the key itself when
    // missing, with its "\n" escapes expanded and cut at its first NUL.
    static char16_t raw[kFullCapacity];
    OsReadProfileString(u"LOCALIZED", u"S_APP_NAME", u"S_APP_NAME", raw, kFullCapacity, path.c_str());
    std::u16string shown = LookupText(u"S_APP_NAME");
    FUZZ_CHECK(shown.size() == TextLength(raw, kFullCapacity));
    FUZZ_CHECK(shown.find(u"\\n") == std::u16string::npos);
    for (size_t i = 0; i < shown.size(); i++) {
        bool expanded = (shown[i] == u'\r' && raw[i] == u'\\') || (shown[i] == u'\n' && raw[i] == u'n');
        FUZZ_CHECK(shown[i] == raw[i] || expanded);
    }
    return 0;
}
