#include "bench/refresh_child.h"

#include "bench/child_process.h"
#include "bench/figures.h"
#include "bench/startup_set.h"
#include "shell/list/entry_list.h"
#include "shell/list/scan_driver.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace kvbench {

int MeasureRefreshTime(int entries, const std::string& folder, const std::string& resultPath) {
    HWND window = CreateChildMainWindow(folder);
    if (window == nullptr) {
        return 1;
    }
    ClearStartupRegistry();
    ClearFoldersAndWinIni();
    FillRegistry(entries);
    kv::ScanDriver();
    // A small refresh varies more from run to run: it is timed more often,
    // about as long in all as a large one.
    const int runs = std::max(kRuns, 20000 / std::max(entries, 1) + 1);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const Clock::time_point start = Clock::now();
        kv::ScanDriver();
        times.push_back(Milliseconds(start));
    }
    WriteNumbers(resultPath, {static_cast<unsigned long long>(kv::RowCount()),
                              static_cast<unsigned long long>(Median(times) * 1000.0)});
    DestroyWindow(window);
    ClearStartupRegistry();
    return 0;
}

// Each run in a new folder of its own: a start-up check against an earlier
// run's snapshot would ask about its entries behind a box nobody answers.
double RefreshTimeInChild(int entries, const std::string& programFolder) {
    DeleteFolderTree(programFolder + "\\refresh " + std::to_string(entries));
    const std::string resultPath = programFolder + "\\refresh.txt";
    DeleteFileA(resultPath.c_str());
    const std::string commandLine = "\"" + SelfPath() + "\" --refresh " + std::to_string(entries) +
                                    " \"" + programFolder + "\\refresh " + std::to_string(entries) +
                                    "\" \"" + resultPath + "\"";
    const std::vector<unsigned long long> numbers = RunToEnd(commandLine, "growth")
                                                        ? ReadNumbers(resultPath)
                                                        : std::vector<unsigned long long>();
    if (numbers.size() != 2) {
        Expect(false, "growth: no result from the measuring process");
        return 0;
    }
    Expect(numbers[0] == static_cast<unsigned long long>(entries),
           "growth: " + std::to_string(numbers[0]) + " rows listed");
    return static_cast<double>(numbers[1]) / 1000.0;
}

} // namespace kvbench
