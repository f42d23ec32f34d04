// The measured scenarios. Each sets up its own data, times the program and
// its floor (or the plain rule) kRuns times, checks the data, and returns
// its figures. A new scenario is one more function and one more line in a
// list below.
#pragma once

#include "bench/figures.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kvbench {

// What the scenarios share.
struct Bench {
    std::string programFolder;       // settings.ini, the per-user store, list files, sleepers
    std::string floorFolder;         // the floors' own report.ini
    std::string floorStore;          // the floors' own disable.ini
    std::string floorSnapshot;       // the floors' own report.ini
    std::string disabledStore;       // the program's disable.ini
    HWND floorList = nullptr;        // null for the child-process scenarios
    HWND virtualFloorList = nullptr; // the least-work floors' virtual list; null likewise
    double refreshAll = 0;           // refresh-all's median, the change check's measure
    double refreshAllLeast = 0;      // refresh-all's least-work floor, the report's measure
    double check = 0;                // the change check's median, the watch's measure
};

using Scenario = Figures (*)(Bench& bench);

// Run in this process, in this order, with the program's main window and the
// floor list made: each starts from the set the one before left.
const std::vector<Scenario>& WindowScenarios();
// Run after this process's windows are gone, measured in processes of their
// own.
const std::vector<Scenario>& ChildScenarios();

} // namespace kvbench
