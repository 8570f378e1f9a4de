#include "text/side_file_path.h"

#include "platform/process.h"
#include "text/text_util.h"

const char16_t kStringTableFileName[] = u"StringTable.dat";
const char16_t kBackupFileName[] = u"Kestrawn.dat";
const char16_t kCustomFileName[] = u"Kestrawn.ini";
const char16_t kScriptFileName[] = u"Kestrawn.reg";

namespace {

const uint32_t kMaxDirectoryLength = 255;

// One kept path per side file name; the program asks for four.
const int kPathSlots = 8;
struct KeptPath {
    char16_t fileName[32];
    char16_t path[kMaxPathLength];
};
KeptPath gKeptPaths[kPathSlots];
char16_t gUnkeptPath[kMaxPathLength];  // for names beyond the slots: made anew each time

}  // namespace

void MakeSideFilePath(const char16_t* executablePath, const char16_t* fileName, char16_t* path) {
    uint32_t length = TextLength(executablePath, kMaxPathLength);
    uint32_t driveLength = (length >= 2 && executablePath[1] == u':') ? 2 : 0;
    uint32_t directoryEnd = driveLength;  // one past the last separator
    for (uint32_t i = driveLength; i < length; i++) {
        if (executablePath[i] == u'\\' || executablePath[i] == u'/') directoryEnd = i + 1;
    }
    uint32_t fileNameLength = TextLength(fileName, kMaxPathLength);
    if (directoryEnd - driveLength > kMaxDirectoryLength || directoryEnd + fileNameLength > kMaxPathLength - 1) {
        directoryEnd = 0;
    }
    for (uint32_t i = 0; i < directoryEnd; i++) path[i] = executablePath[i];
    TextCopy(path + directoryEnd, kMaxPathLength - directoryEnd, fileName);
}

const char16_t* SideFilePath(const char16_t* fileName) {
    char16_t* path = gUnkeptPath;
    for (int i = 0; i < kPathSlots; i++) {
        KeptPath* slot = &gKeptPaths[i];
        if (slot->fileName[0] == 0) {
            TextCopy(slot->fileName, 32, fileName);
            path = slot->path;
            break;
        }
        if (TextEquals(slot->fileName, fileName)) {
            if (slot->path[0] != 0) return slot->path;
            path = slot->path;
            break;
        }
    }
    char16_t executablePath[kMaxPathLength] = {};
    uint32_t length = OsGetModuleFileName(executablePath, kMaxPathLength);
    // A path that filled the buffer may have been cut short: its folder is unknown.
    if (length == 0 || length >= kMaxPathLength) executablePath[0] = 0;
    executablePath[kMaxPathLength - 1] = 0;
    MakeSideFilePath(executablePath, fileName, path);
    return path;
}
