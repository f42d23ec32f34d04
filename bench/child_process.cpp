#include "base/test_seams.h"
#include "bench/child_process.h"

#include "bench/figures.h"
#include "records/settings_store.h"
#include "shell/actions/change_check.h"
#include "shell/app/main_window.h"
#include "shell/frame/monitoring_timer.h"

#include <cstdlib>

namespace kvbench {

std::string SelfPath() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return self;
}

bool RunToEnd(std::string commandLine, const std::string& what, DWORD* exitCode, bool quiet) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nul =
        quiet ? CreateFileA("NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            &inherited, OPEN_EXISTING, 0, nullptr)
              : INVALID_HANDLE_VALUE;
    if (nul != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul;
        startup.hStdOutput = nul;
        startup.hStdError = nul;
    }
    PROCESS_INFORMATION process{};
    const bool started =
        CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, nul != INVALID_HANDLE_VALUE, 0,
                       nullptr, nullptr, &startup, &process) != FALSE;
    if (nul != INVALID_HANDLE_VALUE) {
        CloseHandle(nul);
    }
    if (!started) {
        Expect(false, what + ": the measuring process did not start");
        return false;
    }
    // Messages are answered meanwhile: a child that sends to every window
    // (a broadcast, a shell notification) would otherwise wait for this one.
    const ULONGLONG deadline = GetTickCount64() + 900000;
    bool ended = false;
    for (ULONGLONG now = GetTickCount64(); !ended && now < deadline; now = GetTickCount64()) {
        const DWORD waited = MsgWaitForMultipleObjects(
            1, &process.hProcess, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
        ended = waited == WAIT_OBJECT_0;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&message);
        }
    }
    if (!ended) {
        TerminateProcess(process.hProcess, 1);
        Expect(false, what + ": no result from the measuring process");
    } else if (exitCode != nullptr) {
        GetExitCodeProcess(process.hProcess, exitCode);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ended;
}

HWND CreateChildMainWindow(const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    kv::SetExecutableDirectoryForTests(folder);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    kv::RegisterMainWindowClass(instance);
    HWND window = kv::CreateMainWindow(instance, 0, 0, 1000, 700);
    kv::StopMonitoringTimer();
    kv::StopLocationWatch();
    return window;
}

void WriteNumbers(const std::string& path, const std::vector<unsigned long long>& numbers) {
    std::string text;
    for (const unsigned long long number : numbers) {
        text += std::to_string(number) + " ";
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
}

std::vector<unsigned long long> ReadNumbers(const std::string& path) {
    std::vector<unsigned long long> numbers;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return numbers;
    }
    char text[512] = {};
    DWORD got = 0;
    ReadFile(file, text, sizeof(text) - 1, &got, nullptr);
    CloseHandle(file);
    const char* at = text;
    for (;;) {
        char* end = nullptr;
        const unsigned long long number = std::strtoull(at, &end, 10);
        if (end == at) {
            return numbers;
        }
        numbers.push_back(number);
        at = end;
    }
}

void CloseProgram(PROCESS_INFORMATION& info, HWND window) {
    if (window != nullptr) {
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(info.hProcess, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

} // namespace kvbench
