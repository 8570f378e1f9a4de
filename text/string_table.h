// The localized texts: one of two string tables carried in the executable is
// written beside it as "StringTable.dat", held open against changes while the
// program runs, read by key, and deleted at the end.
#pragma once

#include "app/app_state.h"

// The resource name of the table for a system language name: "JA" for
// Japanese in any letter case, "EN" for everything else, the empty name too.
const char16_t* ChooseStringTable(const char16_t* languageName);

// Writes the chosen table and takes the lock. Leaves state->operationFailed 0
// only when both succeeded; stores the lock's handle in state->stringTableLock.
void ExtractStringTable(AppState* state);

// Closes the lock if one is held and deletes the extracted file, unless it is
// missing or a directory. Sound after a failed extraction too.
void RemoveStringTable(AppState* state);

// The text of a key with its "\n" escapes turned into CR LF, or the key itself
// when the table lacks it. The result lives in a ring of five buffers: it stays
// intact until five more lookups have been made.
const char16_t* LookupText(const char16_t* key);

// Turns each backslash-n pair into CR LF in place; the length never changes.
char16_t* ExpandLineBreaks(char16_t* text);
