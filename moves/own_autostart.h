// The program's own value in the current user's Run key: read, written and
// deleted as a move, so that another program's value of that name is never
// replaced or deleted unasked.
#pragma once

#include "moves/move_outcome.h"

#include <string>

namespace kv {

struct OwnStartValue {
    bool present = false;   // a REG_SZ of exactly the program's name
    bool minimised = false; // it carries the switch that starts the program hidden
    // It carries the switch that starts the delayed entries; written with the
    // hidden start's switch before it, whatever `minimised` says.
    bool delayedStarts = false;
};

// Only a REG_SZ value of exactly the own name (letter case included) is the
// program's own; any other spelling or type belongs to someone else.
OwnStartValue ReadOwnStartValue();

// Writes the own value (naming `programPath`, the program file's full path,
// so that it starts the program from any current folder) or deletes it.
// Only the program's own value is deleted, and only when it is there; a value
// of that name that belongs to someone else is replaced only with `consent`.
MoveOutcome StoreOwnStartValue(const OwnStartValue& wanted, const std::string& programPath,
                               const Consent& consent);

// The own value as delayed entries need it: present, starting the program
// hidden, with the switch that starts them.
MoveOutcome StoreOwnStartForDelays(const std::string& programPath, const Consent& consent);

} // namespace kv
