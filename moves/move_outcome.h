// What one move did, for the shell to show: whether it was carried out, its
// status-bar text, and the writer's or remover's own word (some failures
// bring a message box of their own).
#pragma once

#include "entries/location_outcome.h"
#include "entries/startup_entry.h"

#include <functional>
#include <string>

namespace kv {

enum class MoveResult {
    Done,     // carried out
    Failed,   // tried and failed: nothing changed, or the entry is where it was
    Refused,  // not tried: it could not be carried out safely
    Stale,    // the location no longer holds the entry the list shows: refresh
    Declined, // the user kept an entry of the same name: both stay as they are
};

struct MoveOutcome {
    MoveResult result = MoveResult::Failed;
    std::string text;          // the status-bar text; empty: nothing to say
    LocationOutcome location;  // what the writer or remover said, if one ran
    StartupEntry entry;        // the entry as it was moved
    bool switchStaysOff = false; // put back, but Windows' own switch stays off
    bool endedStored = false;    // an edit's old entry could not go back: it is stored

    bool done() const { return result == MoveResult::Done; }
};

// Asked before an entry of the same name is replaced; true allows it. An
// empty consent allows nothing: such a move is refused with the question's
// text.
using Consent = std::function<bool(const std::string& question)>;

} // namespace kv
