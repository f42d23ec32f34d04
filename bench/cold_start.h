// The cold start: from the start of a process to its window showing its
// rows, timed from outside for the program and for a bare program (this one
// started as "--cold-floor PLAN") that makes the same reads and shows a
// virtual list of the same rows.
#pragma once

#include "bench/refresh_floor.h"

#include <string>

namespace kvbench {

// What the bare program reads besides a refresh's least work: the settings
// file and the snapshot the start-up check compares with.
struct ColdPlan {
    RefreshPlan refresh;
    std::string settingsPath;
    std::string snapshotPath;
};

// The plan written to a file for the bare program, and read back.
bool SaveColdPlan(const std::string& path, const ColdPlan& plan);
bool LoadColdPlan(const std::string& path, ColdPlan& plan);

// The bare program started as "--cold-floor PLAN": reads what the plan
// names, shows its rows in a virtual list and waits to be ended.
int RunColdFloor(const std::string& planPath);

// Starts the command line and times it until a visible top-level window of
// the class, of that process, has a list of `rows` rows and nothing left to
// paint; then ends the process (with WM_CLOSE when `close`, which lets it
// save what it saves at exit, else at once). -1 when it never got there.
double TimeUntilRowsShown(std::string commandLine, const char* windowClass, int rows, bool close);

} // namespace kvbench
