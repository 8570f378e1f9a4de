// The backup file "Kestrawn.dat": a copy of the registered owner and
// organization beside the program, offered again after the registry lost them.
//
// Format: UTF-16LE with byte-order mark and CR LF line ends, three lines:
//   [RESTORE_INFO]
//   RegisteredOwner = "<owner>"
//   RegisteredOrganization = "<organization>"
// The values are copied unchanged between the quotation marks.
#pragma once

#include "app/app_state.h"

// Replaces the backup with currentOwner and currentOrganization. A value that
// is not valid in the registry (owner: !ownerValid, organization:
// !organizationValid) keeps what the existing backup holds for it, if that is
// 1 to 1024 code units long; otherwise it is written empty. When the existing
// backup is there but that value cannot be read from it (the file cannot be
// examined or read, or it lacks the key), nothing is saved. The new content
// goes to a temporary file first and replaces the backup only when every write
// succeeded, so a failed save leaves the earlier backup as it was.
void SaveBackup(AppState* state);

// When the backup file exists (and is not a directory): sets backupLoaded and
// reads backupOwner and backupOrganization; a value over 1024 code units is
// zero-filled. A missing key reads as empty.
void LoadBackup(AppState* state);

// Deletes the backup file if it exists and is not a directory.
void DeleteBackup();
