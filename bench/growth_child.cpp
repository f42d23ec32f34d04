#include "bench/growth_child.h"

#include "bench/child_process.h"
#include "bench/floors.h"
#include "bench/startup_set.h"
#include "entries/catalogue.h"
#include "entries/startup_switch.h"
#include "shell/actions/change_check.h"
#include "shell/actions/entry_actions.h"
#include "shell/list/entry_list.h"
#include "shell/list/scan_driver.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace kvbench {

namespace {

constexpr int kGrowthRows = 500 + 20 + 30;

// What may grow: committed private memory and the three object counts.
struct Counts {
    unsigned long long privateBytes = 0;
    unsigned long long gdi = 0;
    unsigned long long user = 0;
    unsigned long long handles = 0;
};

unsigned long long PrivateBytes() {
    unsigned long long sum = 0;
    MEMORY_BASIC_INFORMATION region{};
    const char* at = nullptr;
    while (VirtualQuery(at, &region, sizeof(region)) == sizeof(region)) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            sum += region.RegionSize;
        }
        at = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    }
    return sum;
}

// The platform's count where it gives one; some systems (Wine among them)
// give none, and then the handles of the kind are looked up one by one:
// GDI handles by their table index, USER handles by theirs (this process's
// windows, its menus and its icons), kernel handles in steps of four.
unsigned long long GdiObjects() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) {
        return counted;
    }
    unsigned long long found = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index) {
        found += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    }
    return found;
}

unsigned long long UserObjects() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (counted != 0) {
        return counted;
    }
    unsigned long long found = 0;
    for (ULONG_PTR index = 0x20; index < 0x10000; index += 2) {
        const HANDLE handle = reinterpret_cast<HANDLE>(index);
        DWORD process = 0;
        if (IsWindow(static_cast<HWND>(handle))) {
            GetWindowThreadProcessId(static_cast<HWND>(handle), &process);
            found += process == GetCurrentProcessId() ? 1 : 0;
        } else if (IsMenu(static_cast<HMENU>(handle))) {
            ++found;
        } else {
            ICONINFO icon{};
            if (GetIconInfo(static_cast<HICON>(handle), &icon)) {
                ++found;
                DeleteObject(icon.hbmColor);
                DeleteObject(icon.hbmMask);
            }
        }
    }
    return found;
}

unsigned long long KernelHandles() {
    DWORD counted = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &counted) && counted != 0) {
        return counted;
    }
    unsigned long long found = 0;
    DWORD flags = 0;
    for (ULONG_PTR value = 4, misses = 0; misses < 1024; value += 4) {
        const bool open = GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != FALSE;
        found += open ? 1 : 0;
        misses = open ? 0 : misses + 1;
    }
    return found;
}

Counts CountsNow() {
    Counts counts;
    counts.privateBytes = PrivateBytes();
    counts.gdi = GdiObjects();
    counts.user = UserObjects();
    counts.handles = KernelHandles();
    return counts;
}

// Every waiting message handled, paints included.
void Pump() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// One notification of the watch: a value of Windows' switch for no entry
// rewritten, which changes nothing in the set; handled (and the check it
// brings, once the quiet time has passed) before the next.
bool OneNotice(int round) {
    const long before = kv::WatchNotices();
    HKEY key = nullptr;
    const std::string path = std::string(kv::kStartupApprovedKey) + "\\Run";
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const std::string bytes(12, static_cast<char>(round % 2 == 0 ? 2 : 6));
    RegSetValueExA(key, "Growth notice", 0, REG_BINARY,
                   reinterpret_cast<const BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    RegCloseKey(key);
    const DWORD start = GetTickCount();
    while (kv::WatchNotices() == before && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Pump();
    }
    return kv::WatchNotices() != before;
}

unsigned long long Gained(unsigned long long before, unsigned long long after) {
    return after > before ? after - before : 0;
}

} // namespace

int MeasureGrowth(const std::string& folder, const std::string& resultPath) {
    HWND window = CreateChildMainWindow(folder);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    kv::StartLocationWatch();
    ClearStartupRegistry();
    ClearFoldersAndWinIni();
    const ToggleSet set = MakeToggleSet(kv::kRunKey, "Growth ", 500);
    WriteStringValues(HKEY_CURRENT_USER, kv::kRunKey, set.names, set.data);
    FillStartupFolders(20);
    FillWinIni(30);
    // Once round first: what is made once and kept is no growth.
    kv::ScanDriver();
    kv::UncheckAllRows();
    kv::CheckAllRows();
    kv::ScanDriver();
    for (int round = 0; round < 2; ++round) {
        OneNotice(round);
    }
    Sleep(kv::kWatchQuietMilliseconds + 200);
    Pump();
    const Counts before = CountsNow();
    for (int refresh = 0; refresh < 100; ++refresh) {
        kv::ScanDriver();
        Pump();
        if (refresh % 5 == 4) {
            if (refresh % 10 == 4) {
                kv::UncheckAllRows();
            } else {
                kv::CheckAllRows();
            }
            Pump();
        }
    }
    // 1,000 notices of the watch, and the checks they bring.
    int noticed = 0;
    for (int round = 0; round < 1000; ++round) {
        noticed += OneNotice(round) ? 1 : 0;
        if (round % 100 == 99) {
            Sleep(kv::kWatchQuietMilliseconds + 100);
            Pump();
        }
    }
    Sleep(kv::kWatchQuietMilliseconds + 200);
    Pump();
    const Counts after = CountsNow();
    WriteNumbers(resultPath, {static_cast<unsigned long long>(noticed),
                              static_cast<unsigned long long>(kv::RowCount()), before.privateBytes,
                              after.privateBytes, before.gdi, after.gdi, before.user, after.user,
                              before.handles, after.handles});
    DestroyWindow(window);
    return 0;
}

Figures GrowthInChild(const std::string& programFolder) {
    const std::string resultPath = programFolder + "\\growth.txt";
    DeleteFileA(resultPath.c_str());
    const std::string commandLine =
        "\"" + SelfPath() + "\" --growth \"" + programFolder + "\\growth\" \"" + resultPath + "\"";
    const std::vector<unsigned long long> n = RunToEnd(commandLine, "growth")
                                                  ? ReadNumbers(resultPath)
                                                  : std::vector<unsigned long long>();
    if (n.size() != 10) {
        Expect(false, "growth: no result from the measuring process");
        return {};
    }
    Expect(n[0] == 1000, "growth: " + std::to_string(n[0]) + " of 1000 notices of the watch");
    Expect(n[1] == kGrowthRows, "growth: " + std::to_string(n[1]) + " rows listed");
    std::fprintf(stderr,
                 "growth: private %llu -> %llu bytes, GDI %llu -> %llu, USER %llu -> %llu, "
                 "handles %llu -> %llu (with 1000 notices of the watch)\n",
                 n[2], n[3], n[4], n[5], n[6], n[7], n[8], n[9]);
    const double memory =
        (static_cast<double>(n[3]) - static_cast<double>(n[2])) / (1024.0 * 1024.0);
    const unsigned long long objects = Gained(n[4], n[5]) + Gained(n[6], n[7]) + Gained(n[8], n[9]);
    return {Figure{"growth-memory-100", memory, Unit::MegabytesFine},
            Figure{"growth-objects-100", static_cast<double>(objects), Unit::Count}};
}

} // namespace kvbench
