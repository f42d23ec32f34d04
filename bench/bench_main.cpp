// Kelvorin benchmark: fills the registry of the Wine prefix it runs in with a
// large startup set and times the program's refresh (also with 200 installed
// packaged apps beside the registry's entries), header sort, change
// check, cold start, report for scripts, running status, "Отключить всё" /
// "Включить всё", list restore and a refresh ten times as large. Beside each
// figure it times a floor on the same data: the platform calls that the
// operation cannot do without, made directly and nothing else; refreshes and
// bulk changes also beside their least-work floors ("NAME-least"). Each
// figure is the median of three runs from the same starting state; the lines
// are "NAME: N ms", "NAME-floor: N ms" and "ratio NAME: R". The last lines
// give the working set of a program process that lists 10,000 registry
// entries, and that of a bare list of the same rows, and what 100 refreshes
// and 20 bulk changes leave behind in memory and objects.
//
// Run it in a throwaway prefix: it empties the Run-type keys, the Startup
// folders and the win.ini parameters "run" and "load" before and after.
// Notes on the data and on mismatches go to stderr. The scenarios are in
// scenarios.cpp; this program also serves as their child processes.
#include "base/test_seams.h"
#include "bench/cold_start.h"
#include "bench/figures.h"
#include "bench/floor_list.h"
#include "bench/growth_child.h"
#include "bench/memory_child.h"
#include "bench/refresh_child.h"
#include "bench/scenarios.h"
#include "bench/startup_set.h"
#include "bench/watch.h"
#include "records/settings_store.h"
#include "records/user_data_folder.h"
#include "shell/actions/change_check.h"
#include "shell/app/main_window.h"
#include "shell/frame/monitoring_timer.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// settings.ini and the per-user store go into a folder of the run's own, the
// floors' files into a folder inside it.
kvbench::Bench PrepareFolders() {
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    kvbench::Bench bench;
    bench.programFolder = std::string(temp) + "kelvorin_bench";
    // A snapshot left by an interrupted run would make the start-up check ask.
    kvbench::DeleteFolderTree(bench.programFolder);
    CreateDirectoryA(bench.programFolder.c_str(), nullptr);
    kv::SetExecutableDirectoryForTests(bench.programFolder);
    bench.floorFolder = bench.programFolder + "\\floor";
    CreateDirectoryA(bench.floorFolder.c_str(), nullptr);
    bench.floorStore = bench.floorFolder + "\\disable.ini";
    bench.floorSnapshot = bench.floorFolder + "\\report.ini";
    bench.disabledStore = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    return bench;
}

void RunScenarios(const std::vector<kvbench::Scenario>& scenarios, kvbench::Bench& bench) {
    for (const kvbench::Scenario scenario : scenarios) {
        kvbench::PrintFigures(scenario(bench));
    }
}

// The window scenarios, from an empty startup set, with the program's main
// window and the floor list made; both windows go and the set is emptied
// after. False when the windows could not be made.
bool RunWindowScenarios(kvbench::Bench& bench) {
    kvbench::ClearStartupRegistry();
    kvbench::ClearFoldersAndWinIni();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    kv::RegisterMainWindowClass(instance);
    HWND window = kv::CreateMainWindow(instance, 0, 0, 1000, 700);
    // The window stays hidden: its timed check, and its watch's, would ask
    // about the set the benchmark itself changes, behind a box nobody
    // answers. The watch scenarios start the watch themselves.
    kv::StopMonitoringTimer();
    kv::StopLocationWatch();
    const kvbench::FloorList floor = kvbench::CreateFloorList(instance);
    const kvbench::FloorList virtualFloor = kvbench::CreateFloorList(instance, true);
    if (window == nullptr || floor.list == nullptr || virtualFloor.list == nullptr) {
        std::fprintf(stderr, "could not create the windows\n");
        return false;
    }
    bench.floorList = floor.list;
    bench.virtualFloorList = virtualFloor.list;
    RunScenarios(kvbench::WindowScenarios(), bench);
    bench.floorList = nullptr;
    bench.virtualFloorList = nullptr;
    DestroyWindow(floor.parent);
    DestroyWindow(virtualFloor.parent);
    DestroyWindow(window);
    kvbench::ClearStartupRegistry();
    kvbench::ClearFoldersAndWinIni();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    // The child processes: sleepers for the running status and the memory
    // measurements.
    if (argc == 3 && std::string(argv[1]) == "--sleep") {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--memory") {
        return kvbench::MeasureMemory(argv[2], argv[3]);
    }
    if (argc == 4 && std::string(argv[1]) == "--memory-floor") {
        return kvbench::MeasureMemoryFloor(argv[3]);
    }
    if (argc == 4 && std::string(argv[1]) == "--growth") {
        return kvbench::MeasureGrowth(argv[2], argv[3]);
    }
    if (argc == 5 && std::string(argv[1]) == "--refresh") {
        return kvbench::MeasureRefreshTime(std::atoi(argv[2]), argv[3], argv[4]);
    }
    if (argc == 4 && std::string(argv[1]) == "--watch-floor") {
        return kvbench::RunWatchFloor(std::atoi(argv[2]), argv[3]);
    }
    if (argc == 3 && std::string(argv[1]) == "--cold-floor") {
        return kvbench::RunColdFloor(argv[2]);
    }

    kvbench::Bench bench = PrepareFolders();
    if (!RunWindowScenarios(bench)) {
        return 1;
    }
    RunScenarios(kvbench::ChildScenarios(), bench);
    kvbench::ClearStartupRegistry();
    kvbench::ClearFoldersAndWinIni();
    kvbench::DeleteFolderTree(bench.programFolder);
    return kvbench::AllExpectationsHeld() ? 0 : 2;
}
