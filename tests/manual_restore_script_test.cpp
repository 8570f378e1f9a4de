#include "sidefiles/manual_restore_script.h"

#include <algorithm>
#include <map>

#include "tests/test_machine.h"

namespace {

const std::u16string kHead = u"Windows Registry Editor Version 5.00\r\n\r\n";
const std::u16string kKey = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n";
const std::u16string kWow64Key = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion]\r\n";

// An independent reader of the Registry Editor's format, as the editor merges
// a script: the key line, then "name"="escaped" or "name"=hex(1):.. entries.
struct RegScript {
    bool wellFormed = false;
    std::u16string key;
    std::map<std::u16string, std::u16string> values;
    int lines = 0;
};

RegScript ParseRegScript(const std::string& bytes) {
    RegScript script;
    if (bytes.size() < 2 || bytes.size() % 2 != 0 || bytes.compare(0, 2, "\xFF\xFE") != 0) return script;
    std::u16string text;
    for (size_t i = 2; i < bytes.size(); i += 2) {
        text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    std::vector<std::u16string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(u"\r\n", start);
        if (end == std::u16string::npos) return script;  // every line ends in CR LF
        std::u16string line = text.substr(start, end - start);
        if (line.find_first_of(u"\r\n") != std::u16string::npos) return script;
        lines.push_back(line);
        start = end + 2;
    }
    script.lines = static_cast<int>(lines.size());
    if (lines.size() < 3 || lines[0] != u"Windows Registry Editor Version 5.00" || !lines[1].empty()) return script;
    if (lines[2].size() < 2 || lines[2].front() != u'[' || lines[2].back() != u']') return script;
    script.key = lines[2].substr(1, lines[2].size() - 2);
    for (size_t i = 3; i < lines.size(); i++) {
        std::u16string line = lines[i];
        // Hex lines go on after a trailing backslash, the next line indented.
        while (line.size() > 0 && line.back() == u'\\' && line.find(u"=hex") != std::u16string::npos) {
            if (++i >= lines.size()) return script;
            size_t indent = lines[i].find_first_not_of(u' ');
            line = line.substr(0, line.size() - 1) + lines[i].substr(indent == std::u16string::npos ? 0 : indent);
        }
        if (line.size() < 2 || line[0] != u'"') return script;
        size_t nameEnd = line.find(u'"', 1);
        std::u16string name = line.substr(1, nameEnd - 1);
        std::u16string rest = line.substr(nameEnd + 1);
        std::u16string value;
        if (rest.compare(0, 2, u"=\"") == 0) {
            size_t p = 2;
            bool closed = false;
            for (; p < rest.size(); p++) {
                if (rest[p] == u'\\' && p + 1 < rest.size()) {
                    value += rest[++p];
                } else if (rest[p] == u'"') {
                    closed = p + 1 == rest.size();
                    break;
                } else {
                    value += rest[p];
                }
            }
            if (!closed) return script;
        } else if (rest.compare(0, 8, u"=hex(1):") == 0) {
            std::string hex = ToUtf8(rest.substr(8));
            std::string raw;
            for (size_t p = 0; p < hex.size(); p += 3) {
                if (p + 2 > hex.size() || (p + 2 < hex.size() && hex[p + 2] != ',')) return script;
                raw += static_cast<char>(std::stoi(hex.substr(p, 2), nullptr, 16));
            }
            if (raw.size() < 2 || raw.size() % 2 != 0 || raw[raw.size() - 1] != 0 || raw[raw.size() - 2] != 0) {
                return script;
            }
            for (size_t p = 0; p + 2 < raw.size(); p += 2) {
                value += static_cast<char16_t>(static_cast<unsigned char>(raw[p]) | (static_cast<unsigned char>(raw[p + 1]) << 8));
            }
        } else {
            return script;
        }
        script.values[name] = value;
    }
    script.wellFormed = true;
    return script;
}

class ManualRestoreScriptTest : public MachineTest {
  protected:
    std::string Write(bool wow64, const std::u16string& owner, const std::u16string& organization) {
        AppState* state = NewState();
        state->isWow64 = wow64;
        std::copy(owner.begin(), owner.end(), state->newOwner.text);
        std::copy(organization.begin(), organization.end(), state->newOrganization.text);
        WriteManualRestoreFile(state);
        std::string bytes;
        return HostReadFile("Kestrawn.reg", &bytes) ? bytes : "<none>";
    }
};

std::string Expected(const std::u16string& key, const std::u16string& owner, const std::u16string& organization) {
    return std::string("\xFF\xFE", 2) + Utf16Bytes(kHead + key + u"\"RegisteredOwner\"=\"" + owner + u"\"\r\n" +
                                                   u"\"RegisteredOrganization\"=\"" + organization + u"\"\r\n");
}

TEST_F(ManualRestoreScriptTest, ExactBytes) {
    const struct {
        const char* name;
        bool wow64;
        std::u16string owner, organization;
        std::string expected;
        size_t size;
    } cases[] = {
        {"4 characters, empty organization", false, u"Abcd", u"", Expected(kKey, u"Abcd", u""), 326},
        {"under WOW64", true, u"Abcd", u"", Expected(kWow64Key, u"Abcd", u""), 350},
        {"backslash and quotation marks", false, u"a\\b\"c\\", u"\"Org\"", Expected(kKey, u"a\\\\b\\\"c\\\\", u"\\\"Org\\\""),
         318 + 2 * 9 + 2 * 7},
        {"non-ASCII unchanged", false, u"使用者 \U0001F600", u"組織", Expected(kKey, u"使用者 \U0001F600", u"組織"),
         318 + 2 * 6 + 2 * 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = Write(c.wow64, c.owner, c.organization);
        EXPECT_EQ(bytes, c.expected);
        EXPECT_EQ(bytes.size(), c.size);
        RegScript script = ParseRegScript(bytes);
        EXPECT_TRUE(script.wellFormed);
        EXPECT_EQ(script.values[u"RegisteredOwner"], c.owner);
        EXPECT_EQ(script.values[u"RegisteredOrganization"], c.organization);
    }
}

TEST_F(ManualRestoreScriptTest, ThousandQuotationMarksFitTheScratchBuffer) {
    std::u16string quotes(1024, u'"');
    std::string bytes = Write(false, quotes, quotes);
    EXPECT_EQ(bytes.size(), 318u + 2 * 2048 + 2 * 2048);
    RegScript script = ParseRegScript(bytes);
    EXPECT_TRUE(script.wellFormed);
    EXPECT_EQ(script.values[u"RegisteredOwner"], quotes);
}

TEST_F(ManualRestoreScriptTest, ValuesWithControlCharactersStayOnTheirLines) {
    const std::u16string values[] = {
        u"two\r\nlines", u"\n", u"tab\there", u"\"]\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Evil]\r\n\"x\"=\"y",
        u"\x01", std::u16string(1023, u'x') + u"\n",
    };
    for (const std::u16string& value : values) {
        SCOPED_TRACE(ToUtf8(value));
        for (bool wow64 : {false, true}) {
            RegScript script = ParseRegScript(Write(wow64, value, u"plain \"org\""));
            ASSERT_TRUE(script.wellFormed);
            EXPECT_EQ(script.key, (wow64 ? kWow64Key : kKey).substr(1, (wow64 ? kWow64Key : kKey).size() - 4));
            EXPECT_EQ(script.values.size(), 2u) << "no value may add entries of its own";
            EXPECT_EQ(script.values[u"RegisteredOwner"], value);
            EXPECT_EQ(script.values[u"RegisteredOrganization"], u"plain \"org\"");
        }
        RegScript reversed = ParseRegScript(Write(false, u"Owner", value));
        ASSERT_TRUE(reversed.wellFormed);
        EXPECT_EQ(reversed.values[u"RegisteredOrganization"], value);
    }
}

TEST_F(ManualRestoreScriptTest, HexFormMatchesTheEditorsLayout) {
    std::string bytes = Write(false, u"A\r\n", u"");
    EXPECT_EQ(bytes, std::string("\xFF\xFE", 2) +
                         Utf16Bytes(kHead + kKey + u"\"RegisteredOwner\"=hex(1):41,00,0d,00,0a,00,00,00\r\n" +
                                    u"\"RegisteredOrganization\"=\"\"\r\n"));
    // Long values wrap: no line is wider than 80 characters.
    std::u16string text;
    std::string wide = Write(false, std::u16string(100, u'w') + u"\n", u"");
    for (size_t i = 2; i < wide.size(); i += 2) text += static_cast<char16_t>(static_cast<unsigned char>(wide[i]));
    size_t start = 0, widest = 0;
    for (size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2) {
        widest = std::max(widest, end - start);
    }
    EXPECT_LE(widest, 80u);
    EXPECT_EQ(ParseRegScript(wide).values[u"RegisteredOwner"], std::u16string(100, u'w') + u"\n");
}

TEST_F(ManualRestoreScriptTest, ReplacesAnEarlierScriptAndFailsQuietly) {
    HostWriteFile("Kestrawn.reg", std::string(1000, 'x'));
    EXPECT_EQ(Write(false, u"Abcd", u""), Expected(kKey, u"Abcd", u""));
    HostSetReadOnly("Kestrawn.reg", true);
    EXPECT_EQ(Write(false, u"Other", u""), Expected(kKey, u"Abcd", u""));
}

TEST(EscapeRegStringTest, StopsAtTheDestinationsEnd) {
    char16_t destination[6];
    EscapeRegString(destination, 6, u"\"\"\"\"");
    EXPECT_EQ(std::u16string(destination), u"\\\"\\\"");
    EscapeRegString(destination, 6, u"abcdefgh");
    EXPECT_EQ(std::u16string(destination), u"abcde");
}

}  // namespace
