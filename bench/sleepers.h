// Small processes of a few names for the running status: copies of this
// program started as "--sleep MILLISECONDS", which only sleep.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kvbench {

struct Sleepers {
    std::vector<std::string> programs;          // the copies, by name
    std::vector<PROCESS_INFORMATION> processes; // those that started
};

// `count` sleepers spread over four copies of this program in `folder`;
// returns once they have had time to start.
Sleepers StartSleepers(const std::string& folder, int count);
// Every sleeper ended, and its handles closed.
void EndSleepers(Sleepers& sleepers);

} // namespace kvbench
