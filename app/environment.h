// The start-up questions about the machine and the user: is this Windows
// supported, does the process run under WOW64, is the user an administrator.
#pragma once

#include "app/app_state.h"
#include "platform/system.h"

enum FixedValues {
    kNoFixedValues,
    kServerFixedValues,  // 6.0 server outside WOW64: S_FIXED_VALUE1 and ""
    kWow64FixedValues,   // 6.0 under WOW64: "Microsoft" and "Microsoft"
};

struct EnvironmentDecision {
    bool supported;
    FixedValues fixedValues;
};

// The pure decision: NT 5.0 to 5.2 and 6.0 are supported, every edition; only
// 6.0 has fixed values, and there only on a server edition or under WOW64.
// versionKnown is false when the version query failed.
EnvironmentDecision DecideEnvironment(bool versionKnown, const OsVersionInfo& version, bool underWow64);

// Sets isWow64 always, and fixedApplies, fixedOwner and fixedOrganization as
// decided. Returns true on a supported system. Needs the string table.
bool CheckEnvironment(AppState* state);

// IsWow64Process looked up by name; any failure means "not under WOW64".
bool IsWow64();

// IsUserAnAdmin by ordinal from shell32 loaded for the call; any failure
// means "not an administrator".
void DetectAdministrator(AppState* state);
