// The host profile reader must read files as GetPrivateProfileStringW does,
// or host tests would prove nothing about the Windows build.
#include <unistd.h>

#include "platform/files.h"
#include "platform/profile.h"
#include "tests/test_machine.h"

namespace {

struct ProfileCase {
    const char* name;
    std::string file;  // bytes; empty name below means no file at all
    bool exists;
    const char16_t* section;
    const char16_t* key;
    uint32_t capacity;
    std::u16string expected;
};

std::string Utf16File(const std::u16string& text) { return std::string("\xFF\xFE", 2) + Utf16Bytes(text); }

class ProfileReaderTest : public MachineTest {};

TEST_F(ProfileReaderTest, ReadsAsWindowsDoes) {
    const ProfileCase cases[] = {
        {"plain value", "[S]\r\nkey=value\r\n", true, u"S", u"key", 100, u"value"},
        {"blanks and tabs around key and value", "[S]\r\n \tkey\t\t=\t value \t\r\n", true, u"S", u"key", 100,
         u"value"},
        {"names compare without case", "[Sec]\r\nKey=v\r\n", true, u"SEC", u"kEY", 100, u"v"},
        {"one pair of quotes goes, the inside stays", "[S]\r\nk=\" a\"b \"\r\n", true, u"S", u"k", 100, u" a\"b "},
        {"a lone quote stays", "[S]\r\nk=\"\r\n", true, u"S", u"k", 100, u"\""},
        {"two quotes make an empty value", "[S]\r\nk=\"\"\r\n", true, u"S", u"k", 100, u""},
        {"quotes that do not match stay", "[S]\r\nk=\"abc\r\n", true, u"S", u"k", 100, u"\"abc"},
        {"escapes come back as stored", "[S]\r\nk=a\\nb\r\n", true, u"S", u"k", 100, u"a\\nb"},
        {"comment lines never match", "[S]\r\n;k=commented\r\nk=real\r\n", true, u"S", u"k", 100, u"real"},
        {"another section's key does not count", "[T]\r\nk=other\r\n[S]\r\nj=x\r\n", true, u"S", u"k", 100,
         u"default"},
        {"the first entry wins", "[S]\r\nk=first\r\nk=second\r\n", true, u"S", u"k", 100, u"first"},
        {"missing key", "[S]\r\nother=1\r\n", true, u"S", u"k", 100, u"default"},
        {"missing file", "", false, u"S", u"k", 100, u"default"},
        {"empty file", "", true, u"S", u"k", 100, u"default"},
        {"cut to the capacity", "[S]\r\nk=abcdef\r\n", true, u"S", u"k", 4, u"abc"},
        {"UTF-16LE after a byte-order mark", Utf16File(u"[S]\r\nk = \"\u65e5\u672c \U0001F600\"\r\n"), true, u"S",
         u"k", 100, u"\u65e5\u672c \U0001F600"},
        {"UTF-16 odd trailing byte ignored", Utf16File(u"[S]\r\nk=v\r\n") + "\x41", true, u"S", u"k", 100, u"v"},
        {"a lone CR ends a line", "[S]\r\nk=a\rb=c\r\n", true, u"S", u"k", 100, u"a"},
    };
    for (const ProfileCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name = std::string("case") + ".ini";
        if (c.exists) HostWriteFile(name, c.file);
        char16_t buffer[128];
        std::u16string path = FromUtf8(HostPath(name));
        OsReadProfileString(c.section, c.key, u"default", buffer, c.capacity, path.c_str());
        EXPECT_EQ(std::u16string(buffer), c.expected);
        if (c.exists) {
            ASSERT_EQ(unlink(HostPath(name).c_str()), 0);
        }
    }
}

TEST_F(ProfileReaderTest, EightBitTextFollowsTheSystemCodePage) {
    // "日本" in code page 932; 0x95 0x5C ("表") ends in the byte of a backslash.
    HostWriteFile("cp.ini", "[S]\r\nk=\x93\xfa\x96\x7b\x95\x5c\r\n");
    std::u16string path = FromUtf8(HostPath("cp.ini"));
    char16_t buffer[64];
    HostSetLanguageName(u"ja");
    OsReadProfileString(u"S", u"k", u"", buffer, 64, path.c_str());
    EXPECT_EQ(std::u16string(buffer), u"\u65e5\u672c\u8868");
    HostSetLanguageName(u"en");
    OsReadProfileString(u"S", u"k", u"", buffer, 64, path.c_str());
    EXPECT_EQ(std::u16string(buffer), u"\u201c\u00fa\u2013{\u2022\\");  // the same bytes in code page 1252
}

TEST_F(ProfileReaderTest, ReadsAFileTheProgramHoldsLocked) {
    HostWriteFile("locked.ini", "[S]\r\nk=v\r\n");
    std::u16string path = FromUtf8(HostPath("locked.ini"));
    FileHandle lock = OsOpenFileShareRead(path.c_str());
    ASSERT_NE(lock, kInvalidFileHandle);
    char16_t buffer[16];
    OsReadProfileString(u"S", u"k", u"", buffer, 16, path.c_str());
    EXPECT_EQ(std::u16string(buffer), u"v");
    EXPECT_EQ(OsCreateFileForWriting(path.c_str()), kInvalidFileHandle) << "the lock refuses writers";
    EXPECT_FALSE(OsDeleteFile(path.c_str())) << "the lock refuses deletion";
    OsCloseFile(lock);
    EXPECT_TRUE(OsDeleteFile(path.c_str()));
}

}  // namespace
