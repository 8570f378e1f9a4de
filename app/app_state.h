// The one record of everything a run learns and decides.
//
// ProgramMain owns the only instance, as a local object for the whole run, and
// passes it by pointer; the dialogs keep the pointer they get at creation.
// A new record is all zeros. Flags are single bytes holding 0 or 1.
#pragma once

#include "platform/platform_types.h"

// A NUL-terminated UTF-16 string in a fixed buffer. Lengths count code units up
// to the first NUL, so a character outside the BMP counts twice.
const uint32_t kTextBufferLength = 4096;
struct TextBuffer {
    char16_t text[kTextBufferLength];
};

// The longest owner or organization accepted from any source (1024 is
// accepted, 1025 is not).
const uint32_t kMaxValueLength = 1024;

struct AppState {
    uint8_t isWow64;            // a 32-bit process on 64-bit Windows
    uint8_t isAdmin;            // the user may change the values
    uint8_t configAffected;     // Brasko Config installed in an affected version
    uint8_t setupAffected;      // Brasko Setup installed in an affected version
    uint8_t ownerValid;         // RegisteredOwner exists, 1 to 1024 long
    uint8_t organizationValid;  // RegisteredOrganization exists, 0 to 1024 long
    TextBuffer currentOwner;    // as last read from the registry
    TextBuffer currentOrganization;
    uint8_t customLoaded;  // the custom restoration file existed and was read
    uint8_t backupLoaded;  // the backup file was read by the latest evaluation
    TextBuffer backupOwner;
    TextBuffer backupOrganization;
    uint8_t fixedApplies;  // this edition has fixed default values
    TextBuffer fixedOwner;
    TextBuffer fixedOrganization;
    TextBuffer newOwner;  // what a restoration writes
    TextBuffer newOrganization;
    IconHandle statusIcon;  // stock icon of the verdict, 0 for none
    TextBuffer statusText;  // the verdict, lines separated by CR LF
    uint8_t restoreEnabled;
    uint8_t confirmOnClose;
    // During start-up: the string table could not be extracted. While the main
    // dialog runs: a restoration failed to write the registry. Never both.
    uint8_t operationFailed;
    // Holds "StringTable.dat" open with read sharing while the program runs:
    // 0 before any attempt, kInvalidFileHandle when not obtained or closed.
    FileHandle stringTableLock;
};
