// Many entries moved at once ("Отключить всё", "Включить всё"): the same
// moves as one entry's, with the store and the snapshot written once each
// and every key opened once.
#pragma once

#include "moves/move_outcome.h"

#include <cstddef>
#include <vector>

namespace kv {

struct BulkOutcome {
    std::vector<MoveResult> results; // one for each entry asked, in order
    std::vector<StartupEntry> moved; // the entries as they were moved, in order
    std::string text;                // the status-bar text: of the last entry
    std::vector<bool> switchStaysOff; // put back, but Windows' switch stays off
    std::vector<LocationOutcome> written; // PutBackAll: what each writer said
    bool anyStale = false;           // some entry was not as the list showed it
};

// TakeOut for each entry, top first; `places[i]` is the place of entry i
// among the stored entries before any of them moved, `disabledRows` the
// texts of the disabled rows then (the store follows their order when it
// holds exactly their entries).
BulkOutcome TakeOutAll(const std::vector<StartupEntry>& shown,
                       const std::vector<std::size_t>& places,
                       const std::vector<StartupEntry>& disabledRows = {});

// PutBack for each entry (every disabled row, top first), asking `consent` for each whose
// location holds an entry of its name now.
BulkOutcome PutBackAll(const std::vector<StartupEntry>& shown,
                       const std::vector<std::size_t>& places, const Consent& consent);

} // namespace kv
