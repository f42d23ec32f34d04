// The moves of tasks (packaged apps' startup tasks and scheduled tasks):
// they stay where they are, and only their switch is turned. Each reads what
// the switch says now, writes, and reads it back; the change snapshot
// follows, so that the next check takes none of it for another program's.
#pragma once

#include "moves/move_outcome.h"

#include <vector>

namespace kv {

// Turns the task of the row on or off. Refused when a policy holds its
// switch; Stale when the task is not there any more; Failed, with the
// reason, when the system refused the change or the switch read back
// unchanged. Done when the switch says `on` now (also when another program
// had turned it so already).
MoveOutcome SwitchTaskOf(const StartupEntry& shown, bool on);

// A list restore's tasks: each task of the list that is there now is turned
// as the list has it (`checked`); none is added or removed. The outcomes of
// those that could not be turned.
std::vector<MoveOutcome> SwitchTasksAsListed(const std::vector<StartupEntry>& listed);

} // namespace kv
