// ExpandLineBreaks against a reference written from its description: each
// backslash followed by "n", read from left to right, becomes CR LF, and
// nothing else changes.
//
// Input: one byte of switches, then the text. Bit 0 set: the rest is UTF-16LE;
// clear: each byte is one code unit (so backslashes and n's come often).
#include <string>

#include "fuzz/fuzz_machine.h"
#include "text/string_table.h"

namespace {

std::u16string Reference(const std::u16string& text) {
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        if (i + 1 < text.size() && text[i] == u'\\' && text[i + 1] == u'n') {
            out += u"\r\n";
            i += 2;
        } else {
            out += text[i];
            i += 1;
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::u16string text;
    if ((data[0] & 1) != 0) {
        text = FuzzUtf16(data + 1, size - 1);
    } else {
        for (size_t i = 1; i < size; i++) text += static_cast<char16_t>(data[i]);
    }
    text = text.substr(0, text.find(u'\0'));  // the function sees the text up to its NUL

    std::u16string buffer = text + u'\0' + u"\\n";  // what follows the NUL must stay untouched
    char16_t* result = ExpandLineBreaks(&buffer[0]);
    FUZZ_CHECK(result == &buffer[0]);
    FUZZ_CHECK(buffer.substr(0, text.size()) == Reference(text));
    FUZZ_CHECK(buffer.substr(text.size()) == std::u16string(1, u'\0') + u"\\n");
    return 0;
}
