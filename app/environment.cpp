#include "app/environment.h"

#include "platform/process.h"
#include "text/string_table.h"
#include "text/text_util.h"

namespace {
const uint16_t kIsUserAnAdminOrdinal = 680;
}

EnvironmentDecision DecideEnvironment(bool versionKnown, const OsVersionInfo& version, bool underWow64) {
    EnvironmentDecision decision = {false, kNoFixedValues};
    if (!versionKnown || version.platformId != kPlatformWin32Nt) return decision;
    if (version.majorVersion == 5) {
        decision.supported = version.minorVersion <= 2;
    } else if (version.majorVersion == 6 && version.minorVersion == 0) {
        decision.supported = true;
        if (underWow64) {
            decision.fixedValues = kWow64FixedValues;
        } else if (version.productType != kNtWorkstation) {
            decision.fixedValues = kServerFixedValues;
        }
    }
    return decision;
}

bool CheckEnvironment(AppState* state) {
    OsVersionInfo version = {};
    bool versionKnown = OsGetVersionEx(&version);
    state->isWow64 = IsWow64() ? 1 : 0;

    EnvironmentDecision decision = DecideEnvironment(versionKnown, version, state->isWow64 != 0);
    if (decision.fixedValues == kServerFixedValues) {
        state->fixedApplies = 1;
        TextCopy(state->fixedOwner.text, kTextBufferLength, LookupText(u"S_FIXED_VALUE1"));
        state->fixedOrganization.text[0] = 0;
    } else if (decision.fixedValues == kWow64FixedValues) {
        state->fixedApplies = 1;
        TextCopy(state->fixedOwner.text, kTextBufferLength, u"Microsoft");
        TextCopy(state->fixedOrganization.text, kTextBufferLength, u"Microsoft");
    }
    return decision.supported;
}

bool IsWow64() {
    ProcAddress isWow64Process = OsGetProcAddress(OsGetModuleHandle(u"kernel32.dll"), "IsWow64Process");
    if (isWow64Process == nullptr) return false;
    bool underWow64 = false;
    if (!OsCallIsWow64Process(isWow64Process, &underWow64)) return false;
    return underWow64;
}

void DetectAdministrator(AppState* state) {
    state->isAdmin = 0;
    ModuleHandle shell32 = OsLoadLibrary(u"shell32.dll");
    if (shell32 == nullptr) return;
    ProcAddress isUserAnAdmin = OsGetProcAddressByOrdinal(shell32, kIsUserAnAdminOrdinal);
    if (isUserAnAdmin != nullptr && OsCallIsUserAnAdmin(isUserAnAdmin) != 0) state->isAdmin = 1;
    OsFreeLibrary(shell32);
}
