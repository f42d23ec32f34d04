// Entry point of Kelvorin.
#include "shell/app_state.h"
#include "shell/main_window.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!kv::RegisterMainWindowClass(instance)) {
        return 0;
    }
    HWND window = kv::CreateMainWindow(instance, 0, 0, CW_USEDEFAULT, CW_USEDEFAULT);
    if (window == nullptr) {
        return 0;
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
