#include "diagnosis/status_evaluation.h"

#include "platform/dialogs.h"
#include "registry/affected_products.h"
#include "registry/user_info.h"
#include "sidefiles/backup_file.h"
#include "text/string_table.h"
#include "text/text_util.h"

Verdict ChooseVerdict(bool isAdmin, bool affectedInstall, bool damagedRegistry) {
    if (isAdmin) {
        if (affectedInstall && damagedRegistry) return {u"S_STAT_BAD_REG_INST", kIdiHand, 0, 0, true};
        if (affectedInstall) return {u"S_STAT_BAD_INSTALL", kIdiHand, 0, 0, true};
        if (damagedRegistry) return {u"S_STAT_BAD_REGISTRY", kIdiHand, 1, 1, true};
        return {u"S_STAT_NOERROR", kIdiAsterisk, 1, 0, false};
    }
    if (affectedInstall) return {u"S_STAT_BAD_INST_USER", kIdiHand, 0, 0, true};
    if (damagedRegistry) return {u"S_STAT_BAD_REG_USER", kIdiHand, 0, 0, true};
    return {u"S_STAT_BAD_USER", kIdiExclamation, 0, 0, false};
}

namespace {

void AppendProductLine(AppState* state, const AffectedProduct& product) {
    TextAppend(state->statusText.text, kTextBufferLength, u"\r\n    ");
    TextAppend(state->statusText.text, kTextBufferLength, product.displayName);
}

}  // namespace

void EvaluateStatus(AppState* state) {
    DetectAffectedProducts(state);
    ReadCurrentUserInfo(state);
    bool affectedInstall = state->configAffected || state->setupAffected;
    bool damagedRegistry = !(state->ownerValid && state->organizationValid);
    Verdict verdict = ChooseVerdict(state->isAdmin != 0, affectedInstall, damagedRegistry);

    state->statusIcon = OsLoadStockIcon(verdict.icon);
    state->restoreEnabled = verdict.restoreEnabled;
    state->confirmOnClose = verdict.confirmOnClose;
    TextCopy(state->statusText.text, kTextBufferLength, LookupText(verdict.statusKey));
    // Only an administrator is told which utility to upgrade first.
    if (state->isAdmin && affectedInstall) {
        if (state->configAffected) AppendProductLine(state, kBraskoConfig);
        if (state->setupAffected) AppendProductLine(state, kBraskoSetup);
    }

    state->backupLoaded = 0;
    if (verdict.problem) {
        bool worthKeeping =
            state->ownerValid || (state->organizationValid && state->currentOrganization.text[0] != 0);
        if (worthKeeping) SaveBackup(state);
        if (state->restoreEnabled && !state->customLoaded) LoadBackup(state);
    } else {
        DeleteBackup();
    }
}
