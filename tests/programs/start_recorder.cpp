// A small program for the tests and the benchmark of delayed starts: it
// appends one line to the file named by its first argument, then ends (with
// the argument "--linger" anywhere after it: a minute later, so that it is
// seen running). The line holds the moment its process was created (in
// milliseconds of the system time, counted as FILETIME counts), its current
// folder and its whole command line, tab-separated, in UTF-8:
//   <created>\t<current folder>\t<command line>\r\n
// Several copies may write at once: each line goes in with one write, and a
// file held by another copy is tried again for a few seconds.
#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) {
        return std::string();
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], size,
                            nullptr, nullptr);
    }
    return out;
}

std::wstring CurrentFolder() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    const DWORD length = GetCurrentDirectoryW(size, &folder[0]);
    folder.resize(length < size ? length : 0);
    return folder;
}

// When the system created this process, else now.
ULONGLONG CreatedMs() {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        GetSystemTimeAsFileTime(&created);
    }
    return ((static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime) / 10000;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const ULONGLONG started = CreatedMs();
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count < 2) {
        return 2;
    }
    const std::wstring file = arguments[1];
    bool linger = false;
    for (int i = 2; i < count; ++i) {
        linger = linger || std::wstring(arguments[i]) == L"--linger";
    }
    LocalFree(arguments);
    const std::string line = std::to_string(started) + "\t" + Utf8(CurrentFolder()) + "\t" +
                             Utf8(GetCommandLineW()) + "\r\n";
    for (int attempt = 0; attempt < 500; ++attempt) {
        HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            const BOOL ok =
                WriteFile(handle, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            CloseHandle(handle);
            if (linger) {
                Sleep(60000);
            }
            return ok && written == line.size() ? 0 : 3;
        }
        Sleep(10);
    }
    return 4;
}
