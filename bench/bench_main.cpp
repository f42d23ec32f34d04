// Kelvorin benchmark: fills the registry of the Wine prefix it runs in with a
// large startup set, then times a full refresh and a header-click sort of the
// result, and prints the figures. A second refresh adds shortcuts in both
// Startup folders and a long win.ini line. Run it in a throwaway prefix: it
// empties the Run-type keys, the Startup folders and the win.ini parameters
// "run" and "load" before and after.
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/processes.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "records/list_file.h"
#include "records/settings_store.h"
#include "shell/app_state.h"
#include "shell/change_check.h"
#include "shell/entry_list.h"
#include "shell/list_files.h"
#include "shell/main_window.h"
#include "shell/program_actions.h"
#include "shell/scan_driver.h"
#include "shell/strings.h"
#include "resource.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void DeleteTree(HKEY root, const std::string& path) {
    kv::RegKey key;
    if (!key.Open(root, path, KEY_ALL_ACCESS)) {
        return;
    }
    std::string name;
    while (kv::EnumSubkeyAt(key.get(), 0, name) == ERROR_SUCCESS) {
        DeleteTree(root, path + "\\" + name);
    }
    key.Close();
    RegDeleteKeyA(root, path.c_str());
}

void ClearStartupRegistry() {
    for (const kv::RegistryLocation& location : kv::kValueKeys) {
        DeleteTree(kv::RootKeyFromName(location.root), location.keyPath);
    }
    DeleteTree(HKEY_LOCAL_MACHINE, kv::kRunOnceExKey);
}

void SetString(HKEY root, const std::string& path, const std::string& name,
               const std::string& data) {
    kv::RegKey key;
    if (key.Create(root, path, KEY_ALL_ACCESS)) {
        RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    }
}

// Commands of mixed forms: quoted, with blanks, bars, bare names, missing files.
std::string CommandFor(int i) {
    switch (i % 6) {
    case 0:
        return "\"C:\\Program Files\\Vendor " + std::to_string(i) + "\\tool.exe\" /tray";
    case 1:
        return "C:\\Program Files\\Common Files\\app" + std::to_string(i) + ".exe -min -q";
    case 2:
        return "||notepad.exe file" + std::to_string(i) + ".txt";
    case 3:
        return "mylib" + std::to_string(i) + ".dll|Entry|x";
    case 4:
        return "rundll32.exe shell32.dll,Control_RunDLL " + std::to_string(i);
    default:
        return "C:\\windows\\notepad.exe";
    }
}

// Removes every file of a Startup folder (the folder stays).
void EmptyFolder(const std::string& folder) {
    if (folder.empty()) {
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    std::vector<std::string> names;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(found.cFileName);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    for (const std::string& name : names) {
        const std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

void ClearFoldersAndWinIni() {
    EmptyFolder(kv::GetStartupFolderPath(kv::kCurrentUserStartup));
    EmptyFolder(kv::GetStartupFolderPath(kv::kAllUsersStartup));
    WriteProfileStringA("windows", "run", nullptr);
    WriteProfileStringA("windows", "load", nullptr);
}

bool MakeShortcut(const std::string& linkPath, const std::string& target,
                  const std::string& arguments) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return false;
    }
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    bool saved = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        std::vector<wchar_t> wide(linkPath.size() + 1);
        MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide.data(),
                            static_cast<int>(wide.size()));
        saved = SUCCEEDED(file->Save(wide.data(), TRUE));
        file->Release();
    }
    link->Release();
    return saved;
}

// Shortcuts spread over both Startup folders, to existing and missing
// programs, some with arguments.
int FillStartupFolders(int total) {
    const std::string folders[2] = {kv::GetStartupFolderPath(kv::kCurrentUserStartup),
                                    kv::GetStartupFolderPath(kv::kAllUsersStartup)};
    CoInitialize(nullptr);
    int made = 0;
    for (int i = 0; i < total; ++i) {
        const std::string& folder = folders[i % 2];
        if (folder.empty()) {
            continue;
        }
        const std::string target =
            i % 3 == 0 ? "C:\\windows\\notepad.exe"
                       : "C:\\Program Files\\Vendor " + std::to_string(i) + "\\tool.exe";
        const std::string arguments = i % 2 == 0 ? "/tray /n " + std::to_string(i) : "";
        if (MakeShortcut(folder + "\\Shortcut " + std::to_string(i) + ".lnk", target, arguments)) {
            ++made;
        }
    }
    CoUninitialize();
    return made;
}

// One win.ini "run" line of bare names, full paths and missing programs.
int FillWinIni(int items) {
    std::string line;
    for (int i = 0; i < items; ++i) {
        if (!line.empty()) {
            line += i % 2 == 0 ? " " : ",";
        }
        switch (i % 3) {
        case 0:
            line += "notepad.exe";
            break;
        case 1:
            line += "C:\\windows\\regedit.exe";
            break;
        default:
            line += "C:\\PROGRA~1\\APP" + std::to_string(i) + ".EXE";
            break;
        }
    }
    // Written to the registry, where the section lives on NT: the profile
    // functions may cut long values when they write them.
    kv::RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
                    KEY_SET_VALUE)) {
        return 0;
    }
    RegSetValueExA(key.get(), "run", 0, REG_SZ, reinterpret_cast<const BYTE*>(line.c_str()),
                   static_cast<DWORD>(line.size() + 1));
    return items;
}

int FillRegistry(int total) {
    const kv::RegistryLocation* valueKeys = kv::kValueKeys;
    int made = 0;
    for (int i = 0; i < total; ++i) {
        const std::string name = "Entry " + std::to_string(i % 97) + "-" + std::to_string(i);
        const int spread = i % 10;
        if (spread < 6) {
            const kv::RegistryLocation& key = valueKeys[spread];
            SetString(kv::RootKeyFromName(key.root), key.keyPath, name, CommandFor(i));
        } else if (spread < 8) {
            const kv::RegistryLocation& key = kv::kSubkeyKeys[spread - 6];
            SetString(kv::RootKeyFromName(key.root),
                      std::string(key.keyPath) + "\\Group" + std::to_string(i % 7), name,
                      CommandFor(i));
        } else {
            SetString(HKEY_LOCAL_MACHINE,
                      std::string(kv::kRunOnceExKey) + "\\Section" + std::to_string(i % 13), name,
                      CommandFor(i));
        }
        ++made;
    }
    return made;
}

void DeleteFolderTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteFolderTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

// Small processes of a few names for the running status: copies of this
// program that only sleep.
std::vector<PROCESS_INFORMATION> StartSleepers(const std::string& folder, int count,
                                               std::vector<std::string>& programs) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::vector<PROCESS_INFORMATION> started;
    for (int name = 0; name < 4; ++name) {
        const std::string program = folder + "\\sleeper" + std::to_string(name) + ".exe";
        CopyFileA(self, program.c_str(), FALSE);
        programs.push_back(program);
    }
    for (int i = 0; i < count; ++i) {
        std::string commandLine =
            "\"" + programs[static_cast<std::size_t>(i) % programs.size()] + "\" --sleep 600000";
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process)) {
            started.push_back(process);
        }
    }
    Sleep(1000); // let them all start
    return started;
}

// The running status as the plain rule states it: every process against
// every row, the row's command resolved again for each comparison.
int MarkRunningLiterally() {
    int marked = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    PROCESSENTRY32 process{};
    process.dwSize = sizeof(process);
    for (BOOL more = Process32First(snapshot, &process); more;
         more = Process32Next(snapshot, &process)) {
        const std::string processName = kv::ProgramName(process.szExeFile);
        for (int row = 0; row < kv::RowCount(); ++row) {
            const std::string command = kv::RowText(row, kv::kColumnCommand);
            if (command.empty()) {
                continue;
            }
            const std::string program =
                kv::ResolveCommandPath(command, kv::ResolveMode::ProgramPath);
            if (kv::ProgramName(program) == processName) {
                ++marked;
            }
        }
    }
    CloseHandle(snapshot);
    return marked;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--sleep") {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return 0;
    }
    // settings.ini and the per-user store go into a folder of the run's own.
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string programFolder = std::string(temp) + "kelvorin_bench";
    // A snapshot left by an interrupted run would make the start-up check ask.
    DeleteFolderTree(programFolder);
    CreateDirectoryA(programFolder.c_str(), nullptr);
    kv::SetExecutableDirectoryForTests(programFolder);

    const int entries = 2000;
    ClearStartupRegistry();
    ClearFoldersAndWinIni();
    const Clock::time_point fillStart = Clock::now();
    FillRegistry(entries);
    const double fill = Milliseconds(fillStart);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    kv::RegisterMainWindowClass(instance);
    const Clock::time_point createStart = Clock::now();
    HWND window = kv::CreateMainWindow(instance, 0, 0, 1000, 700);
    const double create = Milliseconds(createStart);
    if (window == nullptr) {
        std::printf("could not create the main window\n");
        return 1;
    }

    const Clock::time_point scanStart = Clock::now();
    kv::ScanDriver();
    const double scan = Milliseconds(scanStart);
    const int rows = kv::RowCount();

    const Clock::time_point sortStart = Clock::now();
    kv::g_app.sortColumn = kv::kColumnCommand;
    kv::SortEntryList(kv::kColumnCommand);
    const double sort = Milliseconds(sortStart);

    const int shortcuts = FillStartupFolders(300);
    const int items = FillWinIni(100);
    const Clock::time_point fullStart = Clock::now();
    kv::ScanDriver();
    const double full = Milliseconds(fullStart);
    const int fullRows = kv::RowCount();

    std::printf("registry entries written:        %d (%.0f ms)\n", entries, fill);
    std::printf("rows listed:                     %d\n", rows);
    std::printf("window creation with first scan: %.0f ms\n", create);
    std::printf("full ScanDriver (registry):      %.0f ms\n", scan);
    std::printf("header-click sort (command):     %.0f ms\n", sort);
    std::printf("shortcuts in Startup folders:    %d; win.ini run items: %d\n", shortcuts, items);
    std::printf("rows listed:                     %d\n", fullRows);
    std::printf("full ScanDriver (all locations): %.0f ms\n", full);

    // A change check with nothing changed: the set before, a refresh, the
    // set after, the matching and the closing refresh. The timed check does
    // this work without the two boxes that the manual check shows when it
    // finds nothing.
    const Clock::time_point refreshStart = Clock::now();
    kv::ScanDriver();
    const double refresh = Milliseconds(refreshStart);
    const Clock::time_point checkStart = Clock::now();
    kv::CheckForChanges(kv::CheckMode::Timed);
    const double check = Milliseconds(checkStart);
    std::printf("change check, nothing changed (%d rows): %.0f ms (plain refresh %.0f ms)\n",
                kv::RowCount(), check, refresh);

    // Running status over the registry rows, with some dozens of small
    // processes of a few names running; some rows name them.
    ClearFoldersAndWinIni();
    std::vector<std::string> sleeperPrograms;
    std::vector<PROCESS_INFORMATION> sleepers = StartSleepers(programFolder, 40, sleeperPrograms);
    for (int i = 0; i < 40; ++i) {
        SetString(HKEY_CURRENT_USER, kv::kRunKey, "Sleeper " + std::to_string(i),
                  sleeperPrograms[static_cast<std::size_t>(i) % sleeperPrograms.size()] + " -x");
    }
    kv::ScanDriver();
    const Clock::time_point literalStart = Clock::now();
    const int literalMarks = MarkRunningLiterally();
    const double literal = Milliseconds(literalStart);
    const Clock::time_point markStart = Clock::now();
    kv::MarkRunningRows();
    const double mark = Milliseconds(markStart);
    int running = 0;
    const std::string runningText = kv::LoadText(IDS_STATUS_RUNNING);
    for (int row = 0; row < kv::RowCount(); ++row) {
        running += kv::RowText(row, kv::kColumnStatus) == runningText ? 1 : 0;
    }
    std::printf("running status (%d rows, %d sleepers, %d rows running): literal %.0f ms (%d "
                "matches), program %.1f ms, ratio %.1f\n",
                kv::RowCount(), static_cast<int>(sleepers.size()), running, literal, literalMarks,
                mark, mark > 0 ? literal / mark : 0.0);
    for (PROCESS_INFORMATION& process : sleepers) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    // "Отключить всё" and then "Включить всё" over 500 registry entries: every
    // row is disabled or enabled through its own check-box change, and
    // disable.ini is rewritten (whole and safe) after each one.
    ClearStartupRegistry();
    ClearFoldersAndWinIni();
    for (int i = 0; i < 500; ++i) {
        SetString(HKEY_CURRENT_USER, kv::kRunKey, "Toggle " + std::to_string(i), CommandFor(i));
    }
    kv::ScanDriver();
    const int toggled = kv::RowCount();
    const Clock::time_point disableStart = Clock::now();
    kv::UncheckAllRows();
    const double disableAll = Milliseconds(disableStart);
    const Clock::time_point enableStart = Clock::now();
    kv::CheckAllRows();
    const double enableAll = Milliseconds(enableStart);
    std::printf("disable all (%d registry rows):   %.0f ms\n", toggled, disableAll);
    std::printf("enable all (%d registry rows):    %.0f ms\n", toggled, enableAll);

    // A restore of a 500-entry list file over a different 500-entry set:
    // every active entry leaves, every entry of the file comes back, and the
    // store is right after each row's change.
    std::vector<kv::StartupEntry> listed;
    for (int i = 0; i < 500; ++i) {
        kv::StartupEntry entry;
        entry.title = "Listed " + std::to_string(i);
        entry.command = CommandFor(i);
        entry.location = "HKCU\\" + std::string(kv::kRunKey);
        entry.checked = i % 10 != 0; // one in ten disabled
        listed.push_back(entry);
    }
    const std::string listPath = programFolder + "\\bench list.ini";
    kv::WriteListFile(listPath, listed);
    ClearStartupRegistry();
    for (int i = 0; i < 500; ++i) {
        SetString(HKEY_CURRENT_USER, kv::kRunKey, "Present " + std::to_string(i), CommandFor(i));
    }
    kv::ScanDriver();
    const Clock::time_point restoreStart = Clock::now();
    const bool restored = kv::RestoreListFile(listPath);
    const double restore = Milliseconds(restoreStart);
    std::printf("restore of a 500-entry list over 500 entries: %.0f ms (%s, %d rows after)\n",
                restore, restored ? "done" : "refused", kv::RowCount());

    DestroyWindow(window);
    ClearStartupRegistry();
    ClearFoldersAndWinIni();
    DeleteFolderTree(programFolder);
    return 0;
}
