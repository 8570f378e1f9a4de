// The two utilities whose uninstallation or upgrade damages the registered
// user information, and the versions of them that do.
#pragma once

#include "app/app_state.h"

struct AffectedProduct {
    const char16_t* displayName;
    const char16_t* uninstallKey;  // under HKEY_LOCAL_MACHINE; "DisplayVersion" holds the version
    const char16_t* const* affectedVersions;  // ends with a null pointer
};

// Brasko Config first, then Brasko Setup: the order of the status lines.
extern const AffectedProduct kBraskoConfig;
extern const AffectedProduct kBraskoSetup;

// True when the product's "DisplayVersion" equals one of its affected versions
// exactly (case-sensitive, nothing before or after). A missing key or value, or
// an empty version, is not affected.
bool IsAffectedVersionInstalled(const AffectedProduct& product);

// Sets configAffected and setupAffected.
void DetectAffectedProducts(AppState* state);
