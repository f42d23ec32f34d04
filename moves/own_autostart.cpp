#include "moves/own_autostart.h"

#include "entries/catalogue.h"
#include "entries/location_dispatch.h"
#include "entries/location_writers.h"
#include "entries/registry.h"
#include "moves/entry_moves.h"
#include "moves/move_steps.h"
#include "moves/move_texts.h"

#include <windows.h>

namespace kv {

namespace {

// The program's own startup value, and the switch that starts it hidden.
const char kOwnValueName[] = "Kelvorin";
const char kMinimisedSwitch[] = "/m";
const char kDelayedStartsSwitches[] = "/m /startup";
const char kDelayedStartsSwitch[] = "/startup";

StartupEntry OwnEntry() {
    StartupEntry entry;
    entry.title = kOwnValueName;
    entry.location = RegistryLocationString("HKCU", kRunKey);
    return entry;
}

} // namespace

OwnStartValue ReadOwnStartValue() {
    OwnStartValue own;
    RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE)) {
        return own;
    }
    ForEachValue(key.get(), [&own](const RegValue& value) {
        if (value.type == REG_SZ && value.name == kOwnValueName) {
            own.present = true;
            const std::string text = DataAsText(value.data);
            own.minimised = text.find(kMinimisedSwitch) != std::string::npos;
            own.delayedStarts = text.find(kDelayedStartsSwitch) != std::string::npos;
        }
        return true;
    });
    return own;
}

MoveOutcome StoreOwnStartValue(const OwnStartValue& wanted, const std::string& programPath,
                               const Consent& consent) {
    const bool ours = ReadOwnStartValue().present;
    if (wanted.present) {
        const auto write = [&] {
            return AddRegistryValue("HKCU", kRunKey, kOwnValueName, programPath,
                                    wanted.delayedStarts ? kDelayedStartsSwitches
                                    : wanted.minimised   ? kMinimisedSwitch
                                                         : "");
        };
        if (!ours) {
            return AddNew(OwnEntry(), write, consent);
        }
        MoveOutcome outcome = Outcome(MoveResult::Done, OwnEntry(), std::string());
        outcome.location = write();
        outcome.text = OutcomeStatusText(outcome.location);
        outcome.result = outcome.location.succeeded() ? MoveResult::Done : MoveResult::Failed;
        return outcome;
    }
    if (!ours) {
        return Outcome(MoveResult::Done, OwnEntry(), std::string());
    }
    MoveOutcome outcome = Outcome(MoveResult::Done, OwnEntry(), std::string());
    outcome.location = RemoveEntry(kOwnValueName, "", OwnEntry().location);
    outcome.text = OutcomeStatusText(outcome.location);
    outcome.result = outcome.location.succeeded() ? MoveResult::Done : MoveResult::Failed;
    return outcome;
}

MoveOutcome StoreOwnStartForDelays(const std::string& programPath, const Consent& consent) {
    OwnStartValue wanted;
    wanted.present = true;
    wanted.minimised = true;
    wanted.delayedStarts = true;
    return StoreOwnStartValue(wanted, programPath, consent);
}

} // namespace kv
