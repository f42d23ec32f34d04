#include "support/process.h"

#include <gtest/gtest.h>

#include <tlhelp32.h>

#include <vector>

namespace kvtest {

std::string TestProgramDirectory() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            return path.substr(0, path.rfind('\\'));
        }
        buffer.resize(buffer.size() * 2);
    }
}

ChildProcess::~ChildProcess() {
    if (info_.hProcess != nullptr) {
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool ChildProcess::Start(const std::string& commandLine, const std::string& directory,
                         HANDLE output) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    if (output != nullptr) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, output != nullptr ? TRUE : FALSE, 0,
                        nullptr, directory.c_str(), &startup, &info_)) {
        const DWORD error = GetLastError();
        ADD_FAILURE() << "CreateProcess failed with error " << error << ": " << commandLine;
        return false;
    }
    return true;
}

long ChildProcess::Wait(DWORD milliseconds) {
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) {
        return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

void ChildProcess::Terminate() {
    if (info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

bool ChildProcess::WaitUntilIdle(DWORD milliseconds) const {
    return WaitForInputIdle(info_.hProcess, milliseconds) == 0;
}

namespace {
struct Search {
    DWORD process;
    std::string className;
    HWND found;
};
BOOL CALLBACK Visit(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[128] = {};
    GetClassNameA(window, name, sizeof(name));
    if (process == search->process && search->className == name) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}
} // namespace

HWND ChildProcess::FindWindowOfClass(const std::string& className, DWORD milliseconds) const {
    const DWORD start = GetTickCount();
    for (;;) {
        Search search{info_.dwProcessId, className, nullptr};
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr || GetTickCount() - start > milliseconds) {
            return search.found;
        }
        Sleep(50);
    }
}

std::string CopyProgramInto(const std::string& folder) {
    const std::string source = TestProgramDirectory() + "\\Kelvorin.exe";
    const std::string target = folder + "\\Kelvorin.exe";
    if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) {
        const DWORD error = GetLastError();
        ADD_FAILURE() << "CopyFile failed with error " << error << ": " << target;
    }
    return target;
}

std::vector<DWORD> ProcessIdsNamed(const std::string& fileName) {
    std::vector<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return ids;
    }
    PROCESSENTRY32 process{};
    process.dwSize = sizeof(process);
    for (BOOL more = Process32First(snapshot, &process); more;
         more = Process32Next(snapshot, &process)) {
        const std::string path = process.szExeFile;
        const std::string name = path.substr(path.rfind('\\') + 1);
        if (lstrcmpiA(name.c_str(), fileName.c_str()) == 0) {
            ids.push_back(process.th32ProcessID);
        }
        process.dwSize = sizeof(process);
    }
    CloseHandle(snapshot);
    return ids;
}

void EndProcessesNamed(const std::string& fileName) {
    for (DWORD id : ProcessIdsNamed(fileName)) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process != nullptr) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

HWND ChildProcess::ShownMainWindow(DWORD milliseconds) const {
    const HWND window = FindWindowOfClass("Arrow", milliseconds);
    for (DWORD waited = 0; window != nullptr && waited < milliseconds && !IsWindowVisible(window);
         waited += 50) {
        Sleep(50);
    }
    return window != nullptr && IsWindowVisible(window) ? window : nullptr;
}

} // namespace kvtest
