#include "sidefiles/manual_restore_script.h"

#include "platform/files.h"
#include "text/side_file_path.h"
#include "text/text_util.h"

namespace {

const char16_t kHead[] = u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n";
const char16_t kKeyLine[] = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n";
const char16_t kWow64KeyLine[] =
    u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion]\r\n";

// Hex lines are continued with a backslash once they reach this width, as the
// Registry Editor writes them.
const uint32_t kHexLineWidth = 77;

// Each value is escaped here, the owner first and then the organization.
TextBuffer gEscaped;

bool WriteText(FileHandle file, const char16_t* text) {
    return OsWriteFile(file, text, TextLength(text) * sizeof(char16_t));
}

// Collects one line of hex bytes and writes it when it is full.
struct HexLine {
    char16_t text[kHexLineWidth + 8];
    uint32_t length;
};

void HexLineAppend(HexLine* line, const char16_t* piece) {
    while (*piece != 0) line->text[line->length++] = *piece++;
    line->text[line->length] = 0;
}

void HexLineFlush(FileHandle file, HexLine* line) {
    WriteText(file, line->text);
    line->length = 0;
    line->text[0] = 0;
}

// "name"=hex(1):xx,xx,... with the value's UTF-16LE bytes and its NUL.
void WriteHexValue(FileHandle file, const char16_t* name, const char16_t* value) {
    static const char16_t kDigits[] = u"0123456789abcdef";
    HexLine line = {};
    HexLineAppend(&line, u"\"");
    HexLineAppend(&line, name);
    HexLineAppend(&line, u"\"=hex(1):");
    uint32_t byteCount = (TextLength(value) + 1) * 2;
    for (uint32_t i = 0; i < byteCount; i++) {
        char16_t unit = value[i / 2];
        uint32_t byte = (i % 2 == 0) ? (unit & 0xFF) : (unit >> 8);
        char16_t digits[3] = {kDigits[byte >> 4], kDigits[byte & 0xF], 0};
        HexLineAppend(&line, digits);
        if (i + 1 == byteCount) break;
        HexLineAppend(&line, u",");
        if (line.length >= kHexLineWidth) {
            HexLineAppend(&line, u"\\\r\n");
            HexLineFlush(file, &line);
            HexLineAppend(&line, u"  ");
        }
    }
    HexLineAppend(&line, u"\r\n");
    HexLineFlush(file, &line);
}

// "name"="escaped value", or the hex form for a value with control characters.
void WriteValue(FileHandle file, const char16_t* name, const char16_t* value) {
    if (NeedsHexForm(value)) {
        WriteHexValue(file, name, value);
        return;
    }
    WriteText(file, u"\"");
    WriteText(file, name);
    WriteText(file, u"\"=\"");
    EscapeRegString(gEscaped.text, kTextBufferLength, value);
    WriteText(file, gEscaped.text);
    WriteText(file, u"\"\r\n");
}

}  // namespace

void EscapeRegString(char16_t* destination, uint32_t capacity, const char16_t* source) {
    if (capacity == 0) return;
    uint32_t length = 0;
    for (; *source != 0; source++) {
        bool escape = *source == u'"' || *source == u'\\';
        if (length + (escape ? 2 : 1) > capacity - 1) break;
        if (escape) destination[length++] = u'\\';
        destination[length++] = *source;
    }
    destination[length] = 0;
}

bool NeedsHexForm(const char16_t* value) {
    for (; *value != 0; value++) {
        if (*value < 0x20) return true;
    }
    return false;
}

void WriteManualRestoreFile(AppState* state) {
    FileHandle file = OsCreateFileForWriting(SideFilePath(kScriptFileName));
    if (file == kInvalidFileHandle) return;
    WriteText(file, kHead);
    WriteText(file, state->isWow64 ? kWow64KeyLine : kKeyLine);
    WriteValue(file, u"RegisteredOwner", state->newOwner.text);
    WriteValue(file, u"RegisteredOrganization", state->newOrganization.text);
    OsCloseFile(file);
}
