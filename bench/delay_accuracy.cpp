#include "bench/delay_accuracy.h"

#include "bench/child_process.h"
#include "entries/catalogue.h"
#include "entries/delayed_starts.h"
#include "moves/entry_moves.h"
#include "moves/own_autostart.h"
#include "records/disabled_store.h"
#include "records/user_data_folder.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>

namespace kvbench {

namespace {

constexpr int kDelayedEntries = 20;

unsigned long long FileTimeMs(const FILETIME& time) {
    return ((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime) /
           10000;
}

// The recorder's lines: its process creation (ms) by the label that ends
// its command line.
std::vector<std::pair<unsigned long long, std::string>> ReadStarts(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::pair<unsigned long long, std::string>> starts;
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t tab = line.find('\t');
        const std::size_t blank = line.rfind(' ');
        if (tab == std::string::npos || blank == std::string::npos) {
            continue;
        }
        starts.emplace_back(std::stoull(line.substr(0, tab)), line.substr(blank + 1));
    }
    return starts;
}

// Handles this thread's messages for the time: the program's broadcasts
// would otherwise wait for the benchmark's windows.
void PumpFor(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(
            0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 50)), QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

// The program's main window, shown or not.
struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK LookForMainWindow(HWND window, LPARAM param) {
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (owner == search.process && lstrcmpA(name, "Arrow") == 0) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND MainWindowOf(DWORD process) {
    WindowSearch search{process, nullptr};
    EnumWindows(LookForMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

Figures DelayAccuracy(Bench& bench) {
    std::string folder = SelfPath();
    folder.erase(folder.rfind('\\'));
    const std::string recorder = folder + "\\kv_start_recorder.exe";
    const std::string program = bench.programFolder + "\\Kelvorin.exe";
    Expect(GetFileAttributesA(recorder.c_str()) != INVALID_FILE_ATTRIBUTES,
           "delay-accuracy: kv_start_recorder.exe stands beside the benchmark");
    Expect(CopyFileA((folder + "\\Kelvorin.exe").c_str(), program.c_str(), FALSE) != FALSE,
           "delay-accuracy: Kelvorin.exe stands beside the benchmark");
    const std::string log = bench.programFolder + "\\delayed starts.txt";
    DeleteFileA(log.c_str());
    const kv::Consent no = [](const std::string&) { return false; };
    // The snapshot of the set goes back as it was: this scenario leaves the
    // set as it found it, and the program it starts asks about nothing.
    const std::string snapshot = kv::UserDataFilePath(kv::UserDataFile::ChangeSnapshot);
    const bool hadSnapshot = GetFileAttributesA(snapshot.c_str()) != INVALID_FILE_ATTRIBUTES;
    const std::string snapshotBytes = hadSnapshot ? FileBytes(snapshot) : std::string();

    // The entries, delayed through the program's own move, and the own
    // value that starts them.
    std::map<std::string, int> delays;
    for (int i = 0; i < kDelayedEntries; ++i) {
        const std::string label = "d" + std::to_string(i);
        kv::StartupEntry entry;
        entry.title = "Delayed " + std::to_string(i);
        entry.command = "\"" + recorder + "\" \"" + log + "\" " + label;
        entry.location = kv::RegistryLocationString("HKCU", kv::kRunKey);
        entry.checked = true;
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kv::kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                            &key, nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(key, entry.title.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(entry.command.c_str()),
                           static_cast<DWORD>(entry.command.size() + 1));
            RegCloseKey(key);
        }
        delays[label] = 1 + i % 10;
        const kv::MoveOutcome delayed =
            kv::Delay(entry, delays[label], kv::ReadDisabledEntries().size(), no);
        Expect(delayed.done(), "delay-accuracy: an entry delayed");
    }
    const kv::OwnStartValue before = kv::ReadOwnStartValue();
    kv::OwnStartValue own;
    own.present = own.minimised = own.delayedStarts = true;
    Expect(kv::StoreOwnStartValue(own, program, no).done(),
           "delay-accuracy: the own value written");

    DeleteFileA(snapshot.c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + program + "\" /m /startup";
    double lateness = -1;
    if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                       bench.programFolder.c_str(), &startup, &info)) {
        std::vector<std::pair<unsigned long long, std::string>> starts;
        for (int waited = 0; waited < 120 && starts.size() < kDelayedEntries; ++waited) {
            PumpFor(1000);
            starts = ReadStarts(log);
        }
        FILETIME created{}, ended{}, kernel{}, user{};
        GetProcessTimes(info.hProcess, &created, &ended, &kernel, &user);
        const unsigned long long origin = FileTimeMs(created);
        Expect(starts.size() == kDelayedEntries, "delay-accuracy: every entry started once");
        std::sort(starts.begin(), starts.end());
        unsigned long long previous = 0;
        for (const auto& start : starts) {
            const auto delay = delays.find(start.second);
            Expect(delay != delays.end(), "delay-accuracy: a start of a delayed entry");
            unsigned long long planned =
                origin +
                static_cast<unsigned long long>(delay != delays.end() ? delay->second : 0) * 1000;
            if (previous != 0) {
                planned = std::max(planned, previous + kv::kStartSpacingMs);
            }
            Expect(start.first + 20 >= planned, "delay-accuracy: no start before its time");
            lateness =
                std::max(lateness, static_cast<double>(start.first) - static_cast<double>(planned));
            previous = start.first;
        }
        CloseProgram(info, MainWindowOf(info.dwProcessId));
    } else {
        Expect(false, "delay-accuracy: the program started");
    }

    // Everything back as it was: the entries in their key, then gone, and
    // the own value as before.
    for (bool found = true; found;) {
        found = false;
        const std::vector<kv::StartupEntry> stored = kv::ReadDisabledEntries();
        for (std::size_t place = 0; place < stored.size() && !found; ++place) {
            if (stored[place].delaySeconds > 0 &&
                stored[place].title.compare(0, 8, "Delayed ") == 0) {
                found = kv::Delay(stored[place], 0, place, no).done();
            }
        }
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kv::kRunKey, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        for (int i = 0; i < kDelayedEntries; ++i) {
            RegDeleteValueA(key, ("Delayed " + std::to_string(i)).c_str());
        }
        RegCloseKey(key);
    }
    kv::StoreOwnStartValue(before, program, no);
    DeleteFileA(snapshot.c_str());
    if (hadSnapshot) {
        std::ofstream(snapshot, std::ios::binary) << snapshotBytes;
    }
    std::fprintf(stderr, "delay-accuracy: %d entries, delays 1-10 s, one run\n", kDelayedEntries);
    return {Time("delay-accuracy", lateness), Time("delay-accuracy-refresh", bench.refreshAll),
            Ratio("delay-lateness", Quotient(lateness, bench.refreshAll))};
}

} // namespace kvbench
