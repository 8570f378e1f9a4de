// The manual restoration script "Kestrawn.reg", left after a failed registry
// write so that the user can merge both values by hand. Registry Editor 5.00
// format: UTF-16LE with byte-order mark and CR LF line ends.
#pragma once

#include "app/app_state.h"

// Writes the script from isWow64, newOwner and newOrganization, replacing any
// earlier one. Under WOW64 the key line names the 32-bit view
// (SOFTWARE\Wow6432Node), which is where the program's own writes go.
void WriteManualRestoreFile(AppState* state);

// Copies source into destination with a backslash added before every
// quotation mark and backslash. destination holds capacity code units (twice
// the source's length plus one is always enough); the copy stops at its end.
void EscapeRegString(char16_t* destination, uint32_t capacity, const char16_t* source);

// True when a value holds a code unit below U+0020 (CR, LF, tab, ...). Such a
// value cannot stand between quotation marks without breaking its line, so it
// is written in the editor's hex(1) form instead.
bool NeedsHexForm(const char16_t* value);
