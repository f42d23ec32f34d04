#include "shell/app/start_up.h"

#include "base/handles.h"
#include "base/strings.h"
#include "base/text.h"
#include "records/settings_store.h"
#include "shell/frame/app_state.h"
#include "shell/actions/dropped_files.h"
#include "shell/app/main_window.h"
#include "shell/actions/startup_report.h"
#include "resource.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace kv {

const char* const kInstanceMutexName = "{7A3D90E2-5B41-4C8E-9F16-0D2B6E84C17A}";

bool ClaimSingleInstance() {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
    const DWORD error = GetLastError();
    // A copy running with other rights (an elevated one) owns a mutex this
    // one may not open: it is running all the same, on the same store.
    const bool running = (mutex != nullptr && error == ERROR_ALREADY_EXISTS) ||
                         (mutex == nullptr && error == ERROR_ACCESS_DENIED);
    if (running) {
        if (mutex != nullptr) {
            CloseHandle(mutex);
        }
        MessageBoxA(nullptr, LoadText(IDS_ALREADY_RUNNING).c_str(), "Kelvorin", MB_OK);
        return false;
    }
    // Any other outcome, another failure included, lets the program start.
    g_app.instanceMutex.Reset(mutex);
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

bool StartsDelayedEntries(const std::string& commandLine) {
    const std::vector<std::string> arguments = CommandLineArguments(commandLine);
    return std::any_of(arguments.begin() + 1, arguments.end(),
                       [](const std::string& argument) { return LowerAscii(argument) == "/startup"; });
}

std::vector<std::string> CommandLineArguments(const std::string& commandLine) {
    std::vector<std::string> arguments;
    const std::size_t size = commandLine.size();
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    // The program's path: quotes only group, backslashes are as they are.
    std::string path;
    bool quoted = false;
    std::size_t at = 0;
    for (; at < size && (quoted || !isBlank(commandLine[at])); ++at) {
        if (commandLine[at] == '"') {
            quoted = !quoted;
        } else {
            path += commandLine[at];
        }
    }
    arguments.push_back(path);
    for (;;) {
        while (at < size && isBlank(commandLine[at])) {
            ++at;
        }
        if (at >= size) {
            break;
        }
        std::string argument;
        quoted = false;
        while (at < size && (quoted || !isBlank(commandLine[at]))) {
            std::size_t backslashes = 0;
            while (at < size && commandLine[at] == '\\') {
                ++backslashes;
                ++at;
            }
            if (at < size && commandLine[at] == '"') {
                argument.append(backslashes / 2, '\\');
                if (backslashes % 2 == 1) {
                    argument += '"';
                } else if (quoted && at + 1 < size && commandLine[at + 1] == '"') {
                    argument += '"';
                    ++at;
                } else {
                    quoted = !quoted;
                }
                ++at;
            } else {
                argument.append(backslashes, '\\');
                if (at < size && (quoted || !isBlank(commandLine[at]))) {
                    argument += commandLine[at];
                    ++at;
                }
            }
        }
        arguments.push_back(argument);
    }
    return arguments;
}

StartRequest ReadStartRequest(const std::string& commandLine) {
    const std::vector<std::string> arguments = CommandLineArguments(commandLine);
    StartRequest request;
    if (arguments.size() < 2) {
        return request;
    }
    const std::string switchName = LowerAscii(arguments[1]);
    if (switchName == "/?") {
        request.kind = StartKind::Usage;
    } else if (switchName == "/report") {
        const bool oneFile = arguments.size() == 3 && !arguments[2].empty();
        request.kind = oneFile ? StartKind::Report : StartKind::WrongUsage;
        request.file = oneFile ? arguments[2] : std::string();
    }
    return request;
}

namespace {

// Writes the text to the handle: as wide text to a console, which shows
// it in its own code page, else as bytes with CR LF line ends.
bool WriteText(HANDLE output, const std::string& text) {
    DWORD mode = 0;
    if (GetConsoleMode(output, &mode)) {
        const std::wstring wide = Wide(text);
        DWORD written = 0;
        return WriteConsoleW(output, wide.data(), static_cast<DWORD>(wide.size()), &written,
                             nullptr) != FALSE;
    }
    std::string bytes;
    for (const char c : text) {
        if (c == '\n') {
            bytes += '\r';
        }
        bytes += c;
    }
    DWORD written = 0;
    return WriteFile(output, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

} // namespace

void ShowUsage(bool boxAllowed) {
    const std::string usage = LoadText(IDS_USAGE);
    // The standard output the program was given, when there is one.
    const HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
    if (given != nullptr && given != INVALID_HANDLE_VALUE &&
        GetFileType(given) != FILE_TYPE_UNKNOWN && WriteText(given, usage)) {
        return;
    }
    // Else the console of the process that started this one.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        UniqueHandle console(CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         0, nullptr));
        const bool written = console && WriteText(console.get(), usage);
        FreeConsole();
        if (written) {
            return;
        }
    }
    if (boxAllowed) {
        MessageBoxA(nullptr, usage.c_str(), "Kelvorin", MB_OK | MB_ICONINFORMATION);
    }
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
    if ((StartsHidden(commandLine) || StartsDelayedEntries(commandLine)) && trayIconAdded) {
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

int RunMessageLoop(HWND window) {
    HACCEL accelerators = LoadAcceleratorsA(g_app.instance, MAKEINTRESOURCEA(IDR_ACCEL));
    MSG message{};
    OfferDroppedFiles();
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorA(window, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // Files dropped while the message was handled (also inside a box or
        // dialog it opened) wait until now.
        OfferDroppedFiles();
    }
    return static_cast<int>(message.wParam);
}

int RunProgram(HINSTANCE instance) {
    // Delays count from this moment.
    const unsigned long long startTick = GetTickCount64();
    // A report for scripts needs no window and no single instance: it only
    // reads, and works beside a running copy.
    const StartRequest request = ReadStartRequest(GetCommandLineA());
    switch (request.kind) {
    case StartKind::Report:
        g_app.instance = instance;
        return WriteReportForScripts(request.file);
    case StartKind::Usage:
        g_app.instance = instance;
        ShowUsage(true);
        return 0;
    case StartKind::WrongUsage:
        g_app.instance = instance;
        ShowUsage(false);
        return 2;
    case StartKind::Window:
        break;
    }
    if (!ClaimSingleInstance()) {
        return 0;
    }
    RegisterMainWindowClass(instance);
    g_app.instance = instance;
    g_app.startsDelayedEntries = StartsDelayedEntries(GetCommandLineA());
    g_app.startTick = startTick;
    HWND window = CreateMainWindowAtSavedPosition(instance);
    if (window == nullptr) {
        return 0;
    }
    ShowMainWindowAtStart(window, GetCommandLineA());
    return RunMessageLoop(window);
}

} // namespace kv
