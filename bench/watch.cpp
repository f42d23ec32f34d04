#include "bench/watch.h"

#include "bench/child_process.h"
#include "entries/catalogue.h"
#include "entries/location_watch.h"
#include "entries/startup_folder.h"
#include "shell/actions/change_check.h"
#include "shell/app/main_window.h"
#include "shell/frame/app_state.h"
#include "shell/frame/monitoring_timer.h"
#include "shell/list/entry_list.h"
#include "shell/list/scan_driver.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

namespace kvbench {

namespace {

constexpr int kIdleSeconds = 60;

unsigned long long ProcessorTime(HANDLE process) {
    FILETIME created{};
    FILETIME ended{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) {
        return 0;
    }
    const auto number = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return number(kernel) + number(user);
}

// A top-level window of the process with this class (and this caption, when
// one is given), shown or not.
struct Search {
    DWORD process = 0;
    std::string windowClass;
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK Look(HWND window, LPARAM param) {
    Search& search = *reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search.process) {
        return TRUE;
    }
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (search.windowClass != name) {
        return TRUE;
    }
    if (!search.caption.empty()) {
        char caption[256] = {};
        GetWindowTextA(window, caption, sizeof(caption));
        if (search.caption != caption) {
            return TRUE;
        }
    }
    search.found = window;
    return FALSE;
}

HWND FindOf(DWORD process, const std::string& windowClass, const std::string& caption) {
    Search search;
    search.process = process;
    search.windowClass = windowClass;
    search.caption = caption;
    EnumWindows(Look, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The program's window once its list holds the rows; null after 60 s.
HWND WindowWithRows(DWORD process, int rows) {
    for (int i = 0; i < 6000; ++i) {
        HWND window = FindOf(process, kv::kMainWindowClass, std::string());
        HWND list = window != nullptr ? FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr)
                                      : nullptr;
        DWORD_PTR count = 0;
        if (list != nullptr &&
            SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &count) != 0 &&
            static_cast<int>(count) == rows) {
            return window;
        }
        Sleep(10);
    }
    return nullptr;
}

void SetRunValue(const std::string& name, const std::string& data) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kv::kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
        RegCloseKey(key);
    }
}

void DeleteRunValue(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kv::kRunKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, name.c_str());
        RegCloseKey(key);
    }
}

std::string LoadTextOf(UINT id) {
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof(text));
    return text;
}

// Counts the refreshes the status bar announces while it lives.
class ScanCounter {
  public:
    ScanCounter() {
        text_ = LoadTextOf(IDS_SCAN_REGISTRY);
        g_counter = this;
        previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
            kv::g_app.statusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~ScanCounter() {
        SetWindowLongPtrA(kv::g_app.statusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        g_counter = nullptr;
    }
    ScanCounter(const ScanCounter&) = delete;
    ScanCounter& operator=(const ScanCounter&) = delete;
    int scans() const { return scans_; }

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        ScanCounter* self = g_counter;
        if (message == SB_SETTEXTA && lParam != 0 &&
            self->text_ == reinterpret_cast<const char*>(lParam)) {
            ++self->scans_;
        }
        return CallWindowProcA(self->previous_, window, message, wParam, lParam);
    }
    static ScanCounter* g_counter;
    std::string text_;
    WNDPROC previous_ = nullptr;
    int scans_ = 0;
};

ScanCounter* ScanCounter::g_counter = nullptr;

// Handles this thread's messages until the time is over, sleeping between.
void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message{};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD spent = GetTickCount() - start;
        if (spent >= milliseconds) {
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - spent, QS_ALLINPUT);
    }
}

} // namespace

Figures WatchLatency(Bench& bench) {
    const int rows = kv::RowCount();
    std::string folder = SelfPath();
    folder.erase(folder.rfind('\\'));
    const std::string program = bench.programFolder + "\\Kelvorin.exe";
    Expect(CopyFileA((folder + "\\Kelvorin.exe").c_str(), program.c_str(), FALSE) != FALSE,
           "watch-latency: Kelvorin.exe stands beside the benchmark");
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    // Started in the tray, as at logon: the check is then timed as the
    // benchmark's own, with the window out of sight.
    std::string commandLine = "\"" + program + "\" /m";
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        bench.programFolder.c_str(), &startup, &info)) {
        Expect(false, "watch-latency: the program started");
        return {};
    }
    HWND window = WindowWithRows(info.dwProcessId, rows);
    Expect(window != nullptr, "watch-latency: the program shows the set");
    Sleep(2000);
    std::vector<double> latency;
    const std::string caption = LoadTextOf(IDS_CHG_NEW_CAPTION);
    for (int run = 0; run < kRuns && window != nullptr; ++run) {
        const std::string name = "Watched " + std::to_string(run);
        const Clock::time_point start = Clock::now();
        SetRunValue(name, "C:\\watched\\watched.exe /" + std::to_string(run));
        HWND box = nullptr;
        while (box == nullptr && Milliseconds(start) < 30000) {
            box = FindOf(info.dwProcessId, "#32770", caption);
            if (box == nullptr) {
                Sleep(1);
            }
        }
        const double took = Milliseconds(start);
        Expect(box != nullptr, "watch-latency: the question came");
        if (box == nullptr) {
            break;
        }
        latency.push_back(took);
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
        while (IsWindow(box)) {
            Sleep(10);
        }
        Sleep(1500);
    }
    CloseProgram(info, window);
    for (int run = 0; run < kRuns; ++run) {
        DeleteRunValue("Watched " + std::to_string(run));
    }
    // The program kept the values in report.ini when it was told No; read
    // the set again, so that no later check asks about their removal.
    kv::ScanDriver();
    const double median = Median(latency);
    std::fprintf(stderr, "watch-latency: %d rows, quiet time %u ms, check %.0f ms\n", rows,
                 kv::kWatchQuietMilliseconds, bench.check);
    return {Time("watch-latency", median), Time("watch-latency-check", bench.check),
            Ratio("watch-latency",
                  Quotient(median - kv::kWatchQuietMilliseconds, bench.check))};
}

Figures WatchIdle(Bench& bench) {
    kv::StartLocationWatch();
    // The figure is the watch's alone: the timed check (every "Freq"
    // minutes, restarted by each check an earlier scenario ran) scans by
    // design, and would be counted here.
    kv::StopMonitoringTimer();
    Expect(kv::g_app.WatchRunning, "watch-idle: the watch runs");
    PumpFor(2000);
    const long noticesBefore = kv::WatchNotices();
    const unsigned long long before = ProcessorTime(GetCurrentProcess());
    int scans = 0;
    {
        ScanCounter counter;
        PumpFor(kIdleSeconds * 1000);
        scans = counter.scans();
    }
    const unsigned long long used = ProcessorTime(GetCurrentProcess()) - before;
    const long notices = kv::WatchNotices() - noticesBefore;
    kv::StopLocationWatch();

    const std::string resultPath = bench.programFolder + "\\watch floor.txt";
    DeleteFileA(resultPath.c_str());
    const std::vector<unsigned long long> floor =
        RunToEnd("\"" + SelfPath() + "\" --watch-floor " + std::to_string(kIdleSeconds) + " \"" +
                     resultPath + "\"",
                 "watch-idle floor")
            ? ReadNumbers(resultPath)
            : std::vector<unsigned long long>();
    Expect(floor.size() == 2, "watch-idle: the bare program's result");
    const double program = static_cast<double>(used) / 10000.0;
    const double bare = floor.size() == 2 ? static_cast<double>(floor[0]) / 10000.0 : 0;
    std::fprintf(stderr, "watch-idle: %ld notices, bare program %llu notices\n", notices,
                 floor.size() == 2 ? floor[1] : 0ull);
    Expect(scans == 0, "watch-idle: nothing scanned while nothing changed");
    // Processor times of idle processes round to whole clock ticks, often to
    // 0: each side gets one millisecond more, so that two idle processes
    // compare as equal rather than as a division by nothing.
    return {Figure{"watch-idle-scans", static_cast<double>(scans), Unit::Count},
            Time("watch-idle-cpu", program), Time("watch-idle-cpu-floor", bare),
            Ratio("watch-idle-cpu", (program + 1) / (bare + 1))};
}

int RunWatchFloor(int seconds, const std::string& resultPath) {
    std::vector<HANDLE> waits;
    std::vector<HKEY> keys;
    for (const kv::WatchedKey& watched : kv::WatchedRegistryKeys()) {
        std::string path = watched.path;
        bool parent = false;
        HKEY key = nullptr;
        const REGSAM view = watched.root == HKEY_LOCAL_MACHINE ? KEY_WOW64_64KEY : 0;
        while (RegOpenKeyExA(watched.root, path.c_str(), 0, KEY_NOTIFY | view, &key) !=
                   ERROR_SUCCESS &&
               !path.empty()) {
            path = kv::ParentPath(path);
            parent = true;
        }
        if (key == nullptr) {
            continue;
        }
        HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        RegNotifyChangeKeyValue(key, parent ? FALSE : TRUE,
                                parent ? REG_NOTIFY_CHANGE_NAME
                                       : REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                event, TRUE);
        keys.push_back(key);
        waits.push_back(event);
    }
    for (const int selector : {kv::kCurrentUserStartup, kv::kAllUsersStartup}) {
        const HANDLE change = FindFirstChangeNotificationA(
            kv::GetStartupFolderPath(selector).c_str(), FALSE,
            FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                FILE_NOTIFY_CHANGE_LAST_WRITE);
        if (change != INVALID_HANDLE_VALUE) {
            waits.push_back(change);
        }
    }
    const unsigned long long before = ProcessorTime(GetCurrentProcess());
    unsigned long long fired = 0;
    const DWORD start = GetTickCount();
    const DWORD total = static_cast<DWORD>(seconds) * 1000;
    for (DWORD spent = 0; spent < total; spent = GetTickCount() - start) {
        const DWORD waited = WaitForMultipleObjects(static_cast<DWORD>(waits.size()), waits.data(),
                                                    FALSE, total - spent);
        if (waited == WAIT_TIMEOUT || waited >= WAIT_OBJECT_0 + waits.size()) {
            break;
        }
        ++fired;
    }
    const unsigned long long used = ProcessorTime(GetCurrentProcess()) - before;
    WriteNumbers(resultPath, {used, fired});
    for (HKEY key : keys) {
        RegCloseKey(key);
    }
    return 0;
}

} // namespace kvbench
