// Paths of the files the program keeps beside its executable.
#pragma once

#include <stdint.h>

const uint32_t kMaxPathLength = 260;  // MAX_PATH, with the NUL

extern const char16_t kStringTableFileName[];  // "StringTable.dat"
extern const char16_t kBackupFileName[];       // "Kestrawn.dat"
extern const char16_t kCustomFileName[];       // "Kestrawn.ini"
extern const char16_t kScriptFileName[];       // "Kestrawn.reg"

// The full path of fileName in the executable's directory. Made on first use
// for each name and kept for the rest of the run.
const char16_t* SideFilePath(const char16_t* fileName);

// The rule behind SideFilePath: drive ("C:" when the second code unit is a
// colon), then the directory up to and including the last backslash or slash,
// then fileName. A directory longer than 255 code units, or a joined path
// longer than 259, gives the bare file name (resolved against the current
// directory by the system).
void MakeSideFilePath(const char16_t* executablePath, const char16_t* fileName, char16_t* path);
