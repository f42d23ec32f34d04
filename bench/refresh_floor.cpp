#include "bench/refresh_floor.h"

#include "bench/figures.h"
#include "bench/floors.h"
#include "bench/platform_reads.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/startup_folder.h"
#include "records/user_data_folder.h"

#include <objbase.h>
#include <commctrl.h>

#include <map>
#include <set>

namespace kvbench {

namespace {

std::string LowerAsciiCopy(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string DirectoryOf(UINT(WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = query(buffer, MAX_PATH);
    return length > 0 && length <= MAX_PATH ? std::string(buffer, length) : std::string();
}

// The existence checks of every row's command are those that the program's
// resolution rule asks for, recorded through a plain GetFileAttributesA;
// each row with an existing program file gets the slot of that file.
void LearnProbesAndIcons(RefreshPlan& plan) {
    std::vector<std::string>& probes = plan.probes;
    kv::PathEnvironment recording;
    recording.windowsDirectory = DirectoryOf(&GetWindowsDirectoryA);
    recording.systemDirectory = DirectoryOf(&GetSystemDirectoryA);
    recording.exists = [&probes](const std::string& path) {
        probes.push_back(path);
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    std::map<std::string, int> slots;
    for (FloorRow& row : plan.rows) {
        if (kv::ClassifyLocationIn(row.location, "", "").kind == kv::LocationKind::PackagedTask) {
            plan.taskStateKeys.push_back(row.location.substr(5));
        } else if (row.location.compare(0, 5, "HKLM\\") == 0 ||
                   row.location.compare(0, 5, "HKCU\\") == 0) {
            plan.expectedValues += row.checked ? 1 : 0;
        }
        if (row.command.empty()) {
            continue;
        }
        const std::string program =
            kv::ResolveCommandPathIn(row.command, kv::ResolveMode::ProgramPath, recording);
        if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) {
            plan.driveIcon = true;
            continue;
        }
        const std::string key = LowerAsciiCopy(program);
        const auto found = slots.find(key);
        if (found != slots.end()) {
            row.iconSlot = found->second;
        } else {
            row.iconSlot = static_cast<int>(plan.iconFiles.size());
            slots[key] = row.iconSlot;
            plan.iconFiles.push_back(program);
        }
    }
}

// The folders that existence checks answered from folder listings need:
// from the drive's root, name by name, each folder up to the first name
// that is not there. Paths the listings do not answer add none.
void LearnFolders(RefreshPlan& plan) {
    std::vector<char> current(MAX_PATH + 1);
    GetCurrentDirectoryA(MAX_PATH, current.data());
    std::set<std::string> seen;
    for (const std::string& probe : plan.probes) {
        const bool absolute = probe.size() >= 3 && probe[1] == ':' && probe[2] == '\\';
        const bool relative =
            !probe.empty() && probe[0] != '\\' && probe.find(':') == std::string::npos;
        if (!absolute && !relative) {
            continue;
        }
        const std::string full = absolute ? probe : std::string(current.data()) + "\\" + probe;
        std::string folder = full.substr(0, 3);
        for (std::string::size_type begin = 3;;) {
            if (seen.insert(LowerAsciiCopy(folder)).second) {
                plan.folders.push_back(folder);
            }
            const std::string::size_type end = full.find('\\', begin);
            if (end == std::string::npos) {
                break;
            }
            const std::string name = full.substr(begin, end - begin);
            if (GetFileAttributesA((folder + name).c_str()) == INVALID_FILE_ATTRIBUTES) {
                break;
            }
            folder += name + "\\";
            begin = end + 1;
        }
    }
}

int ListFolder(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int names = 0;
    do {
        ++names;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

int CountStartupFolderFiles() {
    int files = 0;
    for (int selector : {kv::kCurrentUserStartup, kv::kAllUsersStartup}) {
        const std::string folder = kv::GetStartupFolderPath(selector);
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            const std::string name = found.cFileName;
            files += name == "." || name == ".." ? 0 : 1;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return files;
}

int CountPackages() {
    HKEY packages = nullptr;
    DWORD count = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kv::kAppModelPackagesKey, 0, KEY_READ, &packages) ==
        ERROR_SUCCESS) {
        RegQueryInfoKeyA(packages, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(packages);
    }
    return static_cast<int>(count);
}

// Each row's icon: one look-up per distinct existing program file, the
// drive's icon for missing ones, none for rows without a command.
std::vector<int> LookUpIcons(const RefreshPlan& plan) {
    std::vector<int> fileIcons;
    fileIcons.reserve(plan.iconFiles.size());
    for (const std::string& path : plan.iconFiles) {
        fileIcons.push_back(ShellIcon(path));
    }
    const int driveIcon = plan.driveIcon ? ShellIcon("C:\\") : 0;
    std::vector<int> icons;
    icons.reserve(plan.rows.size());
    for (const FloorRow& row : plan.rows) {
        icons.push_back(row.command.empty() ? 0
                        : row.iconSlot < 0  ? driveIcon
                                            : fileIcons[static_cast<std::size_t>(row.iconSlot)]);
    }
    return icons;
}

} // namespace

std::string EnabledRecordsText(const std::vector<FloorRow>& rows) {
    std::size_t enabled = 0;
    std::string body;
    for (const FloorRow& row : rows) {
        if (row.checked) {
            body += RecordText(++enabled, row.title, row.command, row.location);
        }
    }
    return "[common]\r\ntotal=" + std::to_string(enabled) + "\r\n" + body;
}

RefreshPlan LearnRefresh(const std::string& floorFolder) {
    RefreshPlan plan;
    plan.rows = LearnRows();
    LearnProbesAndIcons(plan);
    LearnFolders(plan);
    plan.reportText = EnabledRecordsText(plan.rows);
    plan.reportPath = floorFolder + "\\report.ini";
    plan.disabledStore = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    plan.expectedLinks = CountStartupFolderFiles();
    plan.expectedManifests = CountPackages();
    return plan;
}

RefreshFloorRun FloorRefresh(HWND list, const RefreshPlan& plan) {
    RefreshFloorRun run;
    CoInitialize(nullptr); // a program may hold COM for its life: not timed
    const Clock::time_point start = Clock::now();

    run.values = ReadRunKeys();
    run.links = ReadStartupLinks();
    ReadWinIniLines();
    run.manifests = ReadPackages(plan.taskStateKeys);
    ReadWholeFile(plan.disabledStore);
    for (const std::string& path : plan.probes) {
        GetFileAttributesA(path.c_str());
    }
    const std::vector<int> icons = LookUpIcons(plan);
    CountProcesses();
    ReplaceWhole(plan.reportPath, plan.reportText);
    InsertFloorRows(list, plan.rows, icons);

    run.milliseconds = Milliseconds(start);
    CoUninitialize();
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        run.iconMismatches += icons[i] != plan.rows[i].icon ? 1 : 0;
    }
    return run;
}

RefreshFloorRun LeastRefresh(HWND virtualList, const RefreshPlan& plan) {
    RefreshFloorRun run;
    CoInitialize(nullptr);
    SetVirtualFloorRows(plan.rows);
    SendMessageA(virtualList, LVM_SETITEMCOUNT, 0, 0);
    const Clock::time_point start = Clock::now();

    run.values = ReadRunKeys();
    run.links = ReadStartupLinks();
    ReadWinIniLines();
    run.manifests = ReadPackages(plan.taskStateKeys);
    ReadWholeFile(plan.disabledStore);
    for (const std::string& folder : plan.folders) {
        ListFolder(folder);
    }
    const std::vector<int> icons = LookUpIcons(plan);
    ReplaceWhole(plan.reportPath, plan.reportText);
    SendMessageA(virtualList, LVM_SETITEMCOUNT, plan.rows.size(), LVSICF_NOINVALIDATEALL);

    run.milliseconds = Milliseconds(start);
    CoUninitialize();
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        run.iconMismatches += icons[i] != plan.rows[i].icon ? 1 : 0;
    }
    return run;
}

} // namespace kvbench
