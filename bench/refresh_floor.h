// The refresh floor: the platform work of one refresh of the program's list,
// on a plan learned from the list after one of its refreshes.
#pragma once

#include "bench/floor_list.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kvbench {

// What a refresh floor works on: the rows, the existence checks the
// resolution rule makes for their commands, the distinct existing program
// files, and the report text of the enabled rows.
struct RefreshPlan {
    std::vector<FloorRow> rows;
    std::vector<std::string> probes;    // GetFileAttributesA, in the rule's order
    std::vector<std::string> folders;   // each folder those checks need listed, once
    std::vector<std::string> iconFiles; // distinct existing program files
    bool driveIcon = false;             // some row's program file is missing
    std::string disabledStore;          // disable.ini of the program
    std::string reportPath;             // the floor's own report file
    std::string reportText;
    int expectedValues = 0; // registry values the rows came from
    int expectedLinks = 0;  // files in the Startup folders
    // Packaged apps: the state keys of the rows' tasks (below HKCU), and the
    // manifests of the installed packages.
    std::vector<std::string> taskStateKeys;
    int expectedManifests = 0;
};

// The report text of the enabled rows, as report.ini holds it.
std::string EnabledRecordsText(const std::vector<FloorRow>& rows);

// The plan for the program's list as it stands; the floor's report file
// goes into `floorFolder`.
RefreshPlan LearnRefresh(const std::string& floorFolder);

struct RefreshFloorRun {
    double milliseconds = 0;
    int values = 0;         // registry values read
    int links = 0;          // shell links loaded
    int manifests = 0;      // packages' manifests parsed
    int iconMismatches = 0; // rows whose icon differs from the program's
};

// The platform work of one refresh: every Run-type key's values, the shell
// links of both Startup folders, the win.ini parameters, the installed
// packages' keys, manifests and task states, disable.ini read
// whole, the existence checks of the resolution rule, one icon look-up per
// distinct existing program file (and the drive's icon for missing ones),
// the process list for the status, report.ini replaced whole, and the rows
// inserted into a list with redraw off.
RefreshFloorRun FloorRefresh(HWND list, const RefreshPlan& plan);

// The least work of one refresh: every Run-type key's values, the shell
// links of both Startup folders, the win.ini parameters, the installed
// packages' keys, manifests and task states, and disable.ini read once, each folder that the
// resolution of the commands needs listed once, one icon look-up per distinct existing program file
// (and the drive's icon for missing ones), report.ini replaced whole, and a virtual list (whose
// parent gives the plan's rows) told its row count.
RefreshFloorRun LeastRefresh(HWND virtualList, const RefreshPlan& plan);

} // namespace kvbench
