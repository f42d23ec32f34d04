#include "shell/start_up.h"

#include "records/settings_store.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/strings.h"
#include "resource.h"

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

HWND CreateMainWindowAtSavedPosition(HINSTANCE instance) {
    const int left = ReadLayoutSetting(kLayoutLeft);
    const int top = ReadLayoutSetting(kLayoutTop);
    const int width = SavedExtent(left, ReadLayoutSetting(kLayoutRight));
    const int height = SavedExtent(top, ReadLayoutSetting(kLayoutBottom));
    return CreateMainWindow(instance, left, top, width, height);
}

void ShowMainWindowAtStart(HWND window, const std::string& commandLine) {
    if (StartsHidden(commandLine)) {
        ShowWindow(window, SW_HIDE);
    } else {
        ShowWindow(window, ReadLayoutSetting(kLayoutCmdShow));
    }
    if (g_app.settings.ShowIcon == 0) {
        ShowWindow(window, SW_SHOW);
    }
    UpdateWindow(window);
}

int RunMessageLoop(HWND window) {
    HACCEL accelerators = LoadAcceleratorsA(g_app.instance, MAKEINTRESOURCEA(IDR_ACCEL));
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (TranslateAcceleratorA(window, accelerators, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

int RunProgram(HINSTANCE instance) {
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
