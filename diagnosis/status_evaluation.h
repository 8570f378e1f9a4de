// The diagnosis: from the installed utility versions, the current registry
// values and the user's rights to the verdict the main dialog shows, with the
// backup file kept in step with it.
#pragma once

#include "app/app_state.h"

struct Verdict {
    const char16_t* statusKey;
    uint16_t icon;  // a stock icon id
    uint8_t restoreEnabled;
    uint8_t confirmOnClose;
    bool problem;  // something is wrong: keep a backup rather than delete it
};

// The verdict table: administrator or not, an affected utility installed or
// not, the registry damaged or not.
Verdict ChooseVerdict(bool isAdmin, bool affectedInstall, bool damagedRegistry);

// Re-reads the products and the values, sets statusText, statusIcon,
// restoreEnabled, confirmOnClose and backupLoaded, and saves, loads or deletes
// the backup file as the verdict says.
void EvaluateStatus(AppState* state);
