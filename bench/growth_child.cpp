#include "bench/growth_child.h"

#include "bench/child_process.h"
#include "bench/floors.h"
#include "bench/startup_set.h"
#include "entries/catalogue.h"
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
    const Counts after = CountsNow();
    WriteNumbers(resultPath, {static_cast<unsigned long long>(kv::RowCount()), before.privateBytes,
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
    if (n.size() != 9) {
        Expect(false, "growth: no result from the measuring process");
        return {};
    }
    Expect(n[0] == kGrowthRows, "growth: " + std::to_string(n[0]) + " rows listed");
    std::fprintf(stderr,
                 "growth: private %llu -> %llu bytes, GDI %llu -> %llu, USER %llu -> %llu, "
                 "handles %llu -> %llu\n",
                 n[1], n[2], n[3], n[4], n[5], n[6], n[7], n[8]);
    const double memory =
        (static_cast<double>(n[2]) - static_cast<double>(n[1])) / (1024.0 * 1024.0);
    const unsigned long long objects = Gained(n[3], n[4]) + Gained(n[5], n[6]) + Gained(n[7], n[8]);
    return {Figure{"growth-memory-100", memory, Unit::MegabytesFine},
            Figure{"growth-objects-100", static_cast<double>(objects), Unit::Count}};
}

} // namespace kvbench
