// The backup file and the custom restoration file, loaded from arbitrary
// content through the profile reader, in either encoding and code page.
//
// Input: one byte of switches, then the file. Bit 0: Japanese system locale;
// bit 1: put FF FE in front. The same bytes serve as "Kestrawn.dat" and as
// "Kestrawn.ini".
#include <string>

#include "app/app_state.h"
#include "fuzz/fuzz_machine.h"
#include "platform/profile.h"
#include "sidefiles/backup_file.h"
#include "sidefiles/custom_file.h"
#include "text/text_util.h"

namespace {

AppState gState;  // too big for the stack of a fuzzer run many times over

std::u16string Text(const TextBuffer& buffer) { return std::u16string(buffer.text, TextLength(buffer.text)); }

// What the reader gives for a key, cut at its first NUL as the logic sees it.
std::u16string ReaderValue(const char16_t* section, const char16_t* key, const char* fileName) {
    static TextBuffer buffer;
    OsReadProfileString(section, key, u"", buffer.text, kTextBufferLength, FuzzPath(fileName).c_str());
    return Text(buffer);
}

// A backup value as LoadBackup leaves it: as read, or zero-filled when over 1024.
void CheckBackupValue(const TextBuffer& loaded, const char16_t* key) {
    std::u16string read = ReaderValue(u"RESTORE_INFO", key, "Kestrawn.dat");
    FUZZ_CHECK(Text(loaded) == (read.size() <= kMaxValueLength ? read : u""));
    FUZZ_CHECK(loaded.text[kTextBufferLength - 1] == 0);
    if (read.size() > kMaxValueLength) {
        for (char16_t unit : loaded.text) FUZZ_CHECK(unit == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    FuzzMachineReset((data[0] & 1) != 0);
    std::string file = (data[0] & 2) != 0 ? std::string("\xFF\xFE", 2) : std::string();
    file.append(reinterpret_cast<const char*>(data + 1), size - 1);
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(file.data());
    FuzzWriteFile("Kestrawn.dat", bytes, file.size());
    FuzzWriteFile("Kestrawn.ini", bytes, file.size());

    // The backup: loaded whatever it holds, each value judged on its own.
    gState = AppState();
    LoadBackup(&gState);
    FUZZ_CHECK(gState.backupLoaded == 1);
    CheckBackupValue(gState.backupOwner, u"RegisteredOwner");
    CheckBackupValue(gState.backupOrganization, u"RegisteredOrganization");

    // Saving what was loaded and loading it again gives the same two values:
    // a value read from one line holds no line break, so it survives the trip.
    std::u16string owner = Text(gState.backupOwner);
    std::u16string organization = Text(gState.backupOrganization);
    TextCopy(gState.currentOwner.text, kTextBufferLength, owner.c_str());
    TextCopy(gState.currentOrganization.text, kTextBufferLength, organization.c_str());
    gState.ownerValid = 1;
    gState.organizationValid = 1;
    SaveBackup(&gState);
    gState.backupLoaded = 0;
    LoadBackup(&gState);
    FUZZ_CHECK(gState.backupLoaded == 1);
    FUZZ_CHECK(Text(gState.backupOwner) == owner);
    FUZZ_CHECK(Text(gState.backupOrganization) == organization);

    // The custom file: taken in exactly when the owner has 1 to 1024 code
    // units and the organization at most 1024.
    gState = AppState();
    bool accepted = LoadCustomInfo(&gState);
    std::u16string customOwner = ReaderValue(u"CUSTOM_RESTORE_INFO", u"RegisteredOwner", "Kestrawn.ini");
    std::u16string customOrganization = ReaderValue(u"CUSTOM_RESTORE_INFO", u"RegisteredOrganization", "Kestrawn.ini");
    FUZZ_CHECK(gState.customLoaded == 1);
    FUZZ_CHECK(Text(gState.newOwner) == customOwner);
    FUZZ_CHECK(Text(gState.newOrganization) == customOrganization);
    bool acceptable = !customOwner.empty() && customOwner.size() <= kMaxValueLength &&
                      customOrganization.size() <= kMaxValueLength;
    FUZZ_CHECK(accepted == acceptable);
    // Neither load changes the files.
    FUZZ_CHECK(FuzzReadFile("Kestrawn.ini") == file);
    return 0;
}
