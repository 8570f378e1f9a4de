#include "registry/affected_products.h"

#include "registry/user_info.h"
#include "text/text_util.h"

namespace {

const char16_t* const kConfigVersions[] = {u"3.0a", u"3.0b", u"3.1a", u"3.1b", u"3.2a", nullptr};
const char16_t* const kSetupVersions[] = {u"3.0a", nullptr};

// Holds a version while it is compared; one lookup at a time.
TextBuffer gInstalledVersion;

}  // namespace

const AffectedProduct kBraskoConfig = {
    u"Brasko Config",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{6E31A5C2-0B7D-4F48-9A16-3D27C8E4B950}",
    kConfigVersions,
};
const AffectedProduct kBraskoSetup = {
    u"Brasko Setup",
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{A4D2917E-58C3-4B06-B7E1-0F62C93D4A18}",
    kSetupVersions,
};

bool IsAffectedVersionInstalled(const AffectedProduct& product) {
    if (ReadMachineString(product.uninstallKey, u"DisplayVersion", &gInstalledVersion) != kReadNotEmpty) {
        return false;
    }
    for (const char16_t* const* version = product.affectedVersions; *version != nullptr; version++) {
        // The listed text ends the comparison, so a version that filled the
        // whole buffer without a NUL is never read past its end.
        if (TextEquals(*version, gInstalledVersion.text)) return true;
    }
    return false;
}

void DetectAffectedProducts(AppState* state) {
    state->configAffected = 0;
    state->configAffected = IsAffectedVersionInstalled(kBraskoConfig) ? 1 : 0;
    state->setupAffected = 0;
    state->setupAffected = IsAffectedVersionInstalled(kBraskoSetup) ? 1 : 0;
}
