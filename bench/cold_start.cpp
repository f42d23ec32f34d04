#include "bench/cold_start.h"

#include "bench/figures.h"
#include "bench/floor_list.h"
#include "bench/platform_reads.h"

#include <commctrl.h>

#include <fstream>
#include <sstream>

namespace kvbench {

namespace {

// A row of the plan as one line of tab-separated fields.
std::string RowLine(const FloorRow& row) {
    return "row\t" + std::to_string(row.checked ? 1 : 0) + "\t" + std::to_string(row.icon) + "\t" +
           std::to_string(row.iconSlot) + "\t" + row.title + "\t" + row.command + "\t" +
           row.status + "\t" + row.location;
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == '\t') {
        fields.emplace_back();
    }
    return fields;
}

// One line of the plan into the plan; false when it is none.
bool TakeLine(const std::vector<std::string>& fields, ColdPlan& plan) {
    RefreshPlan& refresh = plan.refresh;
    if (fields.size() == 8 && fields[0] == "row") {
        FloorRow row;
        row.checked = fields[1] == "1";
        row.icon = std::stoi(fields[2]);
        row.iconSlot = std::stoi(fields[3]);
        row.title = fields[4];
        row.command = fields[5];
        row.status = fields[6];
        row.location = fields[7];
        refresh.rows.push_back(row);
        return true;
    }
    if (fields.size() != 2) {
        return false;
    }
    const std::string& name = fields[0];
    const std::string& value = fields[1];
    if (name == "folder") {
        refresh.folders.push_back(value);
    } else if (name == "icon") {
        refresh.iconFiles.push_back(value);
    } else if (name == "drive") {
        refresh.driveIcon = value == "1";
    } else if (name == "store") {
        refresh.disabledStore = value;
    } else if (name == "report") {
        refresh.reportPath = value;
    } else if (name == "settings") {
        plan.settingsPath = value;
    } else if (name == "snapshot") {
        plan.snapshotPath = value;
    } else {
        return false;
    }
    return true;
}

// The visible top-level window of the class that belongs to the process.
struct WindowSearch {
    DWORD process = 0;
    const char* windowClass = nullptr;
    HWND found = nullptr;
    bool messageBox = false; // the process shows a message box
};

BOOL CALLBACK LookAtWindow(HWND window, LPARAM search) {
    WindowSearch& wanted = *reinterpret_cast<WindowSearch*>(search);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != wanted.process || !IsWindowVisible(window)) {
        return TRUE;
    }
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (std::string(name) == "#32770") {
        wanted.messageBox = true;
    } else if (std::string(name) == wanted.windowClass) {
        wanted.found = window;
    }
    return TRUE;
}

// Whether the window shows the rows: its list holds them, its thread has
// come back to its messages, and neither it nor the list waits for a paint.
bool ShowsRows(HWND window, int rows) {
    HWND list = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr);
    DWORD_PTR count = 0;
    return list != nullptr &&
           SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &count) != 0 &&
           static_cast<int>(count) == rows && !GetUpdateRect(window, nullptr, FALSE) &&
           !GetUpdateRect(list, nullptr, FALSE);
}

} // namespace

bool SaveColdPlan(const std::string& path, const ColdPlan& plan) {
    std::ofstream out(path, std::ios::binary);
    const RefreshPlan& refresh = plan.refresh;
    out << "store\t" << refresh.disabledStore << "\nreport\t" << refresh.reportPath
        << "\nsettings\t" << plan.settingsPath << "\nsnapshot\t" << plan.snapshotPath << "\ndrive\t"
        << (refresh.driveIcon ? 1 : 0) << "\n";
    for (const std::string& folder : refresh.folders) {
        out << "folder\t" << folder << "\n";
    }
    for (const std::string& file : refresh.iconFiles) {
        out << "icon\t" << file << "\n";
    }
    for (const FloorRow& row : refresh.rows) {
        out << RowLine(row) << "\n";
    }
    return static_cast<bool>(out);
}

bool LoadColdPlan(const std::string& path, ColdPlan& plan) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!TakeLine(Fields(line), plan)) {
            return false;
        }
    }
    plan.refresh.reportText = EnabledRecordsText(plan.refresh.rows);
    return !plan.refresh.rows.empty();
}

int RunColdFloor(const std::string& planPath) {
    ColdPlan plan;
    if (!LoadColdPlan(planPath, plan)) {
        return 1;
    }
    const FloorList floor = CreateFloorList(GetModuleHandleA(nullptr), true);
    if (floor.list == nullptr) {
        return 1;
    }
    ReadWholeFile(plan.settingsPath);
    ReadWholeFile(plan.snapshotPath);
    LeastRefresh(floor.list, plan.refresh);
    ShowWindow(floor.parent, SW_SHOWNORMAL);
    UpdateWindow(floor.parent);
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

double TimeUntilRowsShown(std::string commandLine, const char* windowClass, int rows, bool close) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const Clock::time_point start = Clock::now();
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return -1;
    }
    WindowSearch search;
    search.process = process.dwProcessId;
    search.windowClass = windowClass;
    double shown = -1;
    while (Milliseconds(start) < 120000 && !search.messageBox &&
           WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
        search.found = nullptr;
        EnumWindows(&LookAtWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr && ShowsRows(search.found, rows)) {
            shown = Milliseconds(start);
            break;
        }
        Sleep(2);
    }
    if (shown >= 0 && close) {
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    }
    if (shown < 0 || !close || WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return shown;
}

} // namespace kvbench
