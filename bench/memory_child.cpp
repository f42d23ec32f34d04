#include "bench/memory_child.h"

#include "base/strings.h"
#include "bench/figures.h"
#include "bench/floor_list.h"
#include "bench/startup_set.h"
#include "entries/catalogue.h"
#include "records/settings_store.h"
#include "shell/entry_list.h"
#include "shell/main_window.h"
#include "shell/scan_driver.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <cstdio>
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
    const std::string result =
        std::to_string(rows) + " " +
        std::to_string(static_cast<unsigned long long>(counters.WorkingSetSize));
    HANDLE file = CreateFileA(resultPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, result.data(), static_cast<DWORD>(result.size()), &written, nullptr);
        CloseHandle(file);
    }
    return 0;
}

// Runs the command line and waits for it; whether it ended in time.
bool RunToEnd(std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        Expect(false, "memory: the measuring process did not start");
        return false;
    }
    const bool ended = WaitForSingleObject(process.hProcess, 900000) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!ended) {
        Expect(false, "memory: no result from the measuring process");
    }
    return ended;
}

// The row count and working set the child wrote; 0 bytes when it wrote none.
unsigned long long ReadMemoryResult(const std::string& resultPath) {
    HANDLE file = CreateFileA(resultPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    char text[64] = {};
    DWORD got = 0;
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, text, sizeof(text) - 1, &got, nullptr);
        CloseHandle(file);
    }
    int rows = 0;
    unsigned long long bytes = 0;
    if (std::sscanf(text, "%d %llu", &rows, &bytes) != 2) {
        Expect(false, "memory: no result from the measuring process");
        return 0;
    }
    Expect(rows == kMemoryRows, "memory: " + std::to_string(rows) + " rows listed");
    return bytes;
}

} // namespace

int MeasureMemory(const std::string& folder, const std::string& resultPath) {
    CreateDirectoryA(folder.c_str(), nullptr);
    kv::SetExecutableDirectoryForTests(folder);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    kv::RegisterMainWindowClass(instance);
    HWND window = kv::CreateMainWindow(instance, 0, 0, 1000, 700);
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
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string resultPath = programFolder + "\\memory.txt";
    DeleteFileA(resultPath.c_str());
    const std::string commandLine = "\"" + std::string(self) + "\" " +
                                    (floor ? "--memory-floor" : "--memory") + " \"" +
                                    programFolder + "\\memory\" \"" + resultPath + "\"";
    return RunToEnd(commandLine) ? ReadMemoryResult(resultPath) : 0;
}

} // namespace kvbench
