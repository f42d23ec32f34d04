#include "shell/start_up.h"

#include "shell/entry_edit.h"
#include "records/settings_store.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/startup_report.h"
#include "shell/strings.h"
#include "resource.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace kv {

const char* const kInstanceMutexName = "{7A3D90E2-5B41-4C8E-9F16-0D2B6E84C17A}";

bool ClaimSingleInstance() {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    if (mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        MessageBoxA(nullptr, LoadText(IDS_ALREADY_RUNNING).c_str(), "Kelvorin", MB_OK);
        return false;
    }
    // Any other outcome, failure included, lets the program start.
    g_app.instanceMutex = mutex;
    return true;
}

int SavedExtent(int nearEdge, int farEdge) {
    if (farEdge == CW_USEDEFAULT) {
        return CW_USEDEFAULT;
    }
    const std::int64_t extent =
        static_cast<std::int64_t>(farEdge) - static_cast<std::int64_t>(nearEdge);
    if (extent < INT_MIN || extent > INT_MAX) {
        return CW_USEDEFAULT;
    }
    return static_cast<int>(extent);
}

bool StartsHidden(const std::string& commandLine) {
    return commandLine.find("/m") != std::string::npos;
}

void MoveOntoAMonitor(HWND window) {
    RECT rect{};
    if (!GetWindowRect(window, &rect) || MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr) {
        return;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    const RECT& work = monitor.rcWork;
    const int width = std::min(rect.right - rect.left, work.right - work.left);
    const int height = std::min(rect.bottom - rect.top, work.bottom - work.top);
    // As close to where it was as the work area allows.
    const int x = std::max(work.left, std::min(rect.left, work.right - width));
    const int y = std::max(work.top, std::min(rect.top, work.bottom - height));
    SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateMainWindowAtSavedPosition(HINSTANCE instance) {
    const int left = ReadLayoutSetting(kLayoutLeft);
    const int top = ReadLayoutSetting(kLayoutTop);
    const int right = ReadLayoutSetting(kLayoutRight);
    const int bottom = ReadLayoutSetting(kLayoutBottom);
    const int width = SavedExtent(left, right);
    const int height = SavedExtent(top, bottom);
    // A rectangle without both edges saved, or without area, gives the
    // platform's default size at the saved corner.
    const bool saved = width != CW_USEDEFAULT && height != CW_USEDEFAULT && width > 0 && height > 0;
    HWND window = CreateMainWindow(instance, left, top, saved ? width : CW_USEDEFAULT,
                                   saved ? height : CW_USEDEFAULT);
    if (window == nullptr) {
        return nullptr;
    }
    // The rectangle was saved from the window's placement, whose coordinates
    // leave out a task bar at the left or top of the screen; put back through
    // the placement it returns to the same place. The window stays hidden.
    if (saved) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        if (GetWindowPlacement(window, &placement)) {
            placement.flags = 0;
            placement.showCmd = SW_HIDE;
            placement.rcNormalPosition = RECT{left, top, right, bottom};
            SetWindowPlacement(window, &placement);
        }
    }
    MoveOntoAMonitor(window);
    return window;
}

int StartShowCommand(const std::string& commandLine, bool trayIconAdded, int savedShowCmd) {
    if (StartsHidden(commandLine) && trayIconAdded) {
        return SW_HIDE;
    }
    if (savedShowCmd >= SW_SHOWNORMAL && savedShowCmd <= SW_FORCEMINIMIZE) {
        return savedShowCmd;
    }
    return SW_SHOWNORMAL;
}

void ShowMainWindowAtStart(HWND window, const std::string& commandLine) {
    ShowWindow(window, StartShowCommand(commandLine, g_app.trayIconAdded,
                                        ReadLayoutSetting(kLayoutCmdShow)));
    UpdateWindow(window);
}

namespace {

// Files dropped on the list: the program dialog opens once for each, in the
// order of the drop, the next when the last is closed. The drop is released
// in any case.
void OfferDroppedFiles(HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        // A path of any length: its length is asked first.
        const UINT length = DragQueryFileA(drop, index, nullptr, 0);
        std::string path(static_cast<std::size_t>(length) + 1, '\0');
        const UINT got = DragQueryFileA(drop, index, &path[0], length + 1);
        path.resize(got <= length ? got : length);
        AddDroppedFile(path);
    }
    DragFinish(drop);
}

} // namespace

int RunMessageLoop(HWND window) {
    HACCEL accelerators = LoadAcceleratorsA(g_app.instance, MAKEINTRESOURCEA(IDR_ACCEL));
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorA(window, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // The list accepts dropped files and leaves them to the loop.
        if (message.message == WM_DROPFILES) {
            OfferDroppedFiles(reinterpret_cast<HDROP>(message.wParam));
        }
    }
    return static_cast<int>(message.wParam);
}

int RunProgram(HINSTANCE instance) {
    // A report for scripts needs no window and no single instance: it only
    // reads, and works beside a running copy.
    std::string reportFile;
    if (ReportFileRequested(GetCommandLineA(), reportFile)) {
        g_app.instance = instance;
        return WriteReportForScripts(reportFile);
    }
    if (!ClaimSingleInstance()) {
        return 0;
    }
    RegisterMainWindowClass(instance);
    g_app.instance = instance;
    HWND window = CreateMainWindowAtSavedPosition(instance);
    if (window == nullptr) {
        return 0;
    }
    ShowMainWindowAtStart(window, GetCommandLineA());
    return RunMessageLoop(window);
}

} // namespace kv
