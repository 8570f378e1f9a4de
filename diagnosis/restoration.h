// What the Restore button does: choose the new values and write them.
#pragma once

#include "app/app_state.h"

enum RestoreSource {
    kRestoreFromCustomFile,   // the custom file's values, without asking
    kRestoreFromInput,        // the input dialog, prefilled from registry or backup
    kRestoreFromFixedValues,  // the edition's defaults: nothing better is known
};

// The custom file first; then the input dialog whenever there is something to
// offer or no default to fall back on; the fixed defaults last.
RestoreSource ChooseRestoreSource(const AppState* state);

// Fills newOwner and newOrganization from the chosen source and writes them,
// the owner first; a failed write sets operationFailed (and a failed owner
// write leaves the organization unwritten). Returns false when the user
// cancelled the input dialog, or it could not be opened: nothing was written.
bool PerformRestore(AppState* state, WindowHandle mainDialog);
