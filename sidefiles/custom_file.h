// The custom restoration file "Kestrawn.ini": values an administrator places
// beside the program for every restoration to write.
//
//   [CUSTOM_RESTORE_INFO]
//   RegisteredOwner=<1 to 1024 characters>
//   RegisteredOrganization=<0 to 1024 characters, the line may be left out>
//
// 8-bit text in the system code page, or UTF-16LE with a byte-order mark.
#pragma once

#include "app/app_state.h"

// Reads the file once at start-up into newOwner and newOrganization and sets
// customLoaded when it exists. Returns false only when it exists and its values
// are not acceptable; true when there is none (or it is a directory) or it was
// taken in.
bool LoadCustomInfo(AppState* state);
