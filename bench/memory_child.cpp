#include "bench/memory_child.h"

#include "base/strings.h"
#include "bench/child_process.h"
#include "bench/figures.h"
#include "bench/floor_list.h"
#include "bench/startup_set.h"
#include "entries/catalogue.h"
#include "shell/list/entry_list.h"
#include "shell/list/scan_driver.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <utility>
#include <vector>

namespace kvbench {

namespace {

constexpr int kMemoryRows = 10000;

// Writes the row count and the working set of this process to the file.
int WriteMemoryResult(int rows, const std::string& resultPath) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    WriteNumbers(resultPath, {static_cast<unsigned long long>(rows),
                              static_cast<unsigned long long>(counters.WorkingSetSize)});
    return 0;
}

// The working set the child wrote; 0 bytes when it wrote none.
unsigned long long ReadMemoryResult(const std::string& resultPath) {
    const std::vector<unsigned long long> numbers = ReadNumbers(resultPath);
    if (numbers.size() != 2) {
        Expect(false, "memory: no result from the measuring process");
        return 0;
    }
    Expect(numbers[0] == kMemoryRows, "memory: " + std::to_string(numbers[0]) + " rows listed");
    return numbers[1];
}

} // namespace

int MeasureMemory(const std::string& folder, const std::string& resultPath) {
    HWND window = CreateChildMainWindow(folder);
    if (window == nullptr) {
        return 1;
    }
    FillRegistry(kMemoryRows);
    kv::ScanDriver();
    return WriteMemoryResult(kv::RowCount(), resultPath);
}

int MeasureMemoryFloor(const std::string& resultPath) {
    const FloorList floor = CreateFloorList(GetModuleHandleA(nullptr), true);
    if (floor.list == nullptr) {
        return 1;
    }
    const std::string stopped = kv::LoadText(IDS_STATUS_STOPPED);
    std::vector<FloorRow> rows;
    for (int i = 0; i < kMemoryRows; ++i) {
        FloorRow row;
        row.title = "Entry " + std::to_string(i);
        row.command = CommandFor(i);
        row.status = stopped;
        row.location = "HKCU\\" + std::string(kv::kRunKey);
        rows.push_back(row);
    }
    SetVirtualFloorRows(std::move(rows));
    SendMessageA(floor.list, LVM_SETITEMCOUNT, kMemoryRows, 0);
    UpdateWindow(floor.parent);
    const int result = WriteMemoryResult(FloorRowCount(floor.list), resultPath);
    DestroyWindow(floor.parent);
    return result;
}

unsigned long long MeasureMemoryInChild(const std::string& programFolder, bool floor) {
    const std::string resultPath = programFolder + "\\memory.txt";
    DeleteFileA(resultPath.c_str());
    const std::string commandLine = "\"" + SelfPath() + "\" " +
                                    (floor ? "--memory-floor" : "--memory") + " \"" +
                                    programFolder + "\\memory\" \"" + resultPath + "\"";
    return RunToEnd(commandLine, "memory") ? ReadMemoryResult(resultPath) : 0;
}

} // namespace kvbench
