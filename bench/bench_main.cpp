// Kelvorin benchmark: fills the registry of the Wine prefix it runs in with a
// large startup set and times the program's refresh, header sort, change
// check, running status, "Отключить всё" / "Включить всё" and list restore.
// Beside each figure it times a floor on the same data: the platform calls
// that the operation cannot do without, made directly and nothing else. Each
// figure is the median of three runs from the same starting state; the lines
// are "NAME: N ms", "NAME-floor: N ms" and "ratio NAME: R". A last line gives
// the working set of a program process that lists 10,000 registry entries.
//
// Run it in a throwaway prefix: it empties the Run-type keys, the Startup
// folders and the win.ini parameters "run" and "load" before and after.
// Notes on the data and on mismatches go to stderr.
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/processes.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "records/disabled_store.h"
#include "records/list_file.h"
#include "records/settings_store.h"
#include "records/user_data_folder.h"
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
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
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

// ---------------------------------------------------------------------------
// Floors. Each floor makes the platform calls of one operation directly, on
// data learned beforehand (which keys, files and rows there are), and returns
// the time of those calls alone.

std::string LowerAsciiCopy(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

// One row as a floor inserts it.
struct FloorRow {
    std::string title;
    std::string command;
    std::string status;
    std::string location;
    bool checked = true;
    int icon = 0;      // the index the program's list shows
    int iconSlot = -1; // the refresh floor's: index into its files, -1 the drive icon
};

// The rows of the program's list as they stand, top first.
std::vector<FloorRow> LearnRows() {
    std::vector<FloorRow> rows;
    for (const kv::StartupEntry& entry : kv::ReadAllRows()) {
        FloorRow row;
        row.title = entry.title;
        row.command = entry.command;
        row.status = entry.status;
        row.location = entry.location;
        row.checked = entry.checked;
        row.icon = entry.icon;
        rows.push_back(row);
    }
    return rows;
}

// The rows a virtual floor list shows: its parent gives their texts, icons
// and boxes when the list asks.
std::vector<FloorRow> g_virtualRows;

void ProvideFloorItem(LVITEMA& item) {
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= g_virtualRows.size()) {
        return;
    }
    const FloorRow& row = g_virtualRows[static_cast<std::size_t>(item.iItem)];
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        const std::string& text = item.iSubItem == 0   ? row.title
                                  : item.iSubItem == 1 ? row.command
                                  : item.iSubItem == 2 ? row.status
                                                       : row.location;
        const std::size_t length =
            std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::memcpy(item.pszText, text.data(), length);
        item.pszText[length] = '\0';
    }
    if ((item.mask & LVIF_IMAGE) != 0) {
        item.iImage = row.icon;
    }
    if ((item.mask & LVIF_STATE) != 0) {
        item.state = INDEXTOSTATEIMAGEMASK(row.checked ? 2 : 1);
    }
}

LRESULT CALLBACK FloorParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY &&
        reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(LVN_GETDISPINFOA)) {
        ProvideFloorItem(reinterpret_cast<NMLVDISPINFOA*>(lParam)->item);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// A hidden top-level window holding a report list view made as the program
// makes its entry list: the same styles, the system image list of small
// icons, four columns. With `virtualRows` the list holds no rows of its own
// and its parent gives them from g_virtualRows, as the program's does;
// otherwise its parent does nothing with the notifications.
HWND CreateFloorList(HINSTANCE instance, HWND& parent, bool virtualRows = false) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FloorParentProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "KelvorinBenchFloor";
    RegisterClassA(&windowClass);
    parent = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 700,
                             nullptr, nullptr, instance, nullptr);
    if (parent == nullptr) {
        return nullptr;
    }
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS |
                                    (virtualRows ? LVS_OWNERDATA : 0),
                                0, 0, 980, 600, parent, nullptr, instance, nullptr);
    const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_HEADERDRAGDROP |
                           LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    if (virtualRows) {
        SendMessageA(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    }
    SHFILEINFOA info{};
    const HIMAGELIST system = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(system));
    const int widths[4] = {200, 400, 100, 260};
    for (int column = 0; column < 4; ++column) {
        char heading[] = "Column";
        LVCOLUMNA item{};
        item.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        item.pszText = heading;
        item.cx = widths[column];
        item.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
    }
    return list;
}

void SetFloorSubitem(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SetFloorCheck(HWND list, int row, bool checked) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Replaces the list's rows with these, redraw off: four texts, the icon and
// the check box of each; the item data is the row's index.
void InsertFloorRows(HWND list, const std::vector<FloorRow>& rows, const std::vector<int>& icons) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, rows.size(), LVSICF_NOINVALIDATEALL);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FloorRow& entry = rows[i];
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(entry.title.c_str());
        item.iImage = icons[i];
        item.lParam = static_cast<LPARAM>(i);
        const int row = static_cast<int>(
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0) {
            continue;
        }
        SetFloorSubitem(list, row, 1, entry.command);
        SetFloorSubitem(list, row, 2, entry.status);
        SetFloorSubitem(list, row, 3, entry.location);
        // A list with check boxes inserts every item unchecked.
        if (entry.checked) {
            SetFloorCheck(list, row, true);
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// The rows with the icons the program showed (for lists whose filling is
// not timed).
void FillFloorList(HWND list, const std::vector<FloorRow>& rows) {
    std::vector<int> icons;
    for (const FloorRow& row : rows) {
        icons.push_back(row.icon);
    }
    InsertFloorRows(list, rows, icons);
}

int FloorRowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

int FloorCheckedCount(HWND list) {
    int checked = 0;
    for (int row = 0; row < FloorRowCount(list); ++row) {
        const UINT state = static_cast<UINT>(
            SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
        checked += (state & LVIS_STATEIMAGEMASK) >> 12 == 2 ? 1 : 0;
    }
    return checked;
}

// A profile value as the record files hold it: a value the profile reader
// would trim or unquote goes inside one more pair of double quotes.
std::string ProfileValue(const std::string& value) {
    const bool quote =
        !value.empty() && (value.front() == '"' || value.front() == '\'' || value.front() == ' ' ||
                           value.front() == '\t' || value.back() == ' ' || value.back() == '\t');
    return quote ? "\"" + value + "\"" : value;
}

std::string RecordText(std::size_t number, const std::string& title, const std::string& command,
                       const std::string& location) {
    return "[object " + std::to_string(number) + "]\r\ntitle=" + ProfileValue(title) +
           "\r\ncommand=" + ProfileValue(command) + "\r\nlocation=" + ProfileValue(location) +
           "\r\n";
}

// The records of a record file: the text of the first k of them is
// StoreText(k).
struct RecordTexts {
    std::string body;              // every record, in order
    std::vector<std::size_t> ends; // ends[k]: where record k ends in the body
    std::string Text(std::size_t count) const {
        return "[common]\r\ntotal=" + std::to_string(count) + "\r\n" + body.substr(0, ends[count]);
    }
};

RecordTexts MakeRecordTexts(const std::vector<FloorRow>& rows) {
    RecordTexts texts;
    texts.ends.push_back(0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        texts.body += RecordText(i + 1, rows[i].title, rows[i].command, rows[i].location);
        texts.ends.push_back(texts.body.size());
    }
    return texts;
}

// The whole-file replacement of the record files: the new text written in
// full beside the file and flushed, then moved over it, through to the disk.
bool ReplaceWhole(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".new";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool wrote =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    return wrote && MoveFileExA(temporary.c_str(), path.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

// ---- the refresh floor ----

// What a refresh floor works on, learned from the program's list after one
// of its refreshes: the rows, the existence checks the resolution rule makes
// for their commands, the distinct existing program files, and the report
// text of the enabled rows.
struct RefreshPlan {
    std::vector<FloorRow> rows;
    std::vector<std::string> probes;    // GetFileAttributesA, in the rule's order
    std::vector<std::string> iconFiles; // distinct existing program files
    bool driveIcon = false;             // some row's program file is missing
    std::string disabledStore;          // disable.ini of the program
    std::string reportPath;             // the floor's own report file
    std::string reportText;
    int expectedValues = 0; // registry values the rows came from
    int expectedLinks = 0;  // files in the Startup folders
};

std::string DirectoryOf(UINT(WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = query(buffer, MAX_PATH);
    return length > 0 && length <= MAX_PATH ? std::string(buffer, length) : std::string();
}

// The existence checks of every row's command are those that the program's
// resolution rule asks for, recorded through a plain GetFileAttributesA.
RefreshPlan LearnRefresh(const std::string& floorFolder) {
    RefreshPlan plan;
    plan.rows = LearnRows();
    std::vector<std::string>& probes = plan.probes;
    kv::PathEnvironment recording;
    recording.windowsDirectory = DirectoryOf(&GetWindowsDirectoryA);
    recording.systemDirectory = DirectoryOf(&GetSystemDirectoryA);
    recording.exists = [&probes](const std::string& path) {
        probes.push_back(path);
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    std::map<std::string, int> slots;
    std::size_t enabled = 0;
    for (FloorRow& row : plan.rows) {
        if (row.location.compare(0, 5, "HKLM\\") == 0 ||
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
    std::string body;
    for (const FloorRow& row : plan.rows) {
        if (row.checked) {
            body += RecordText(++enabled, row.title, row.command, row.location);
        }
    }
    plan.reportText = "[common]\r\ntotal=" + std::to_string(enabled) + "\r\n" + body;
    plan.reportPath = floorFolder + "\\report.ini";
    plan.disabledStore = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    for (int selector : {kv::kCurrentUserStartup, kv::kAllUsersStartup}) {
        const std::string folder = kv::GetStartupFolderPath(selector);
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            const std::string name = found.cFileName;
            plan.expectedLinks += name == "." || name == ".." ? 0 : 1;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return plan;
}

// Every value of the key, names and data read.
int ReadAllValues(HKEY key, std::vector<char>& name, std::vector<BYTE>& data) {
    int read = 0;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG status = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                          data.data(), &dataLength);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status == ERROR_SUCCESS) {
            ++read;
        } else if (status != ERROR_MORE_DATA) {
            break;
        }
    }
    return read;
}

// The values of the six Run-type keys and of the subkeys of Run, RunOnce
// (both roots) and RunOnceEx.
int ReadRunKeys() {
    std::vector<char> name(16384);
    std::vector<BYTE> data(65536);
    int read = 0;
    for (const kv::RegistryLocation& location : kv::kValueKeys) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(kv::RootKeyFromName(location.root), location.keyPath, 0, KEY_QUERY_VALUE,
                          &key) == ERROR_SUCCESS) {
            read += ReadAllValues(key, name, data);
            RegCloseKey(key);
        }
    }
    for (const kv::RegistryLocation& location : kv::kSubkeyKeys) {
        const HKEY root = kv::RootKeyFromName(location.root);
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, location.keyPath, 0, KEY_ENUMERATE_SUB_KEYS, &key) !=
            ERROR_SUCCESS) {
            continue;
        }
        char subkeyName[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = sizeof(subkeyName);
            if (RegEnumKeyExA(key, index, subkeyName, &length, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS) {
                break;
            }
            HKEY subkey = nullptr;
            if (RegOpenKeyExA(key, subkeyName, 0, KEY_QUERY_VALUE, &subkey) == ERROR_SUCCESS) {
                read += ReadAllValues(subkey, name, data);
                RegCloseKey(subkey);
            }
        }
        RegCloseKey(key);
    }
    return read;
}

std::string ShellFolder(HKEY root, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kv::kShellFoldersKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::string();
    }
    char path[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(path) : std::string();
}

// Each file of both Startup folders loaded and resolved as a shell link, its
// target and arguments read. COM is already initialised.
int ReadStartupLinks() {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return 0;
    }
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        return 0;
    }
    int read = 0;
    const std::string folders[2] = {ShellFolder(HKEY_CURRENT_USER, "Startup"),
                                    ShellFolder(HKEY_LOCAL_MACHINE, "Common Startup")};
    for (const std::string& folder : folders) {
        if (folder.empty()) {
            continue;
        }
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) {
                continue;
            }
            const std::string path = folder + "\\" + found.cFileName;
            wchar_t wide[MAX_PATH * 2] = {};
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH * 2);
            if (FAILED(file->Load(wide, STGM_READ)) ||
                FAILED(link->Resolve(nullptr, SLR_ANY_MATCH | SLR_NO_UI))) {
                continue;
            }
            char target[MAX_PATH + 1] = {};
            char arguments[4096] = {};
            WIN32_FIND_DATAA targetData;
            link->GetPath(target, MAX_PATH, &targetData, SLGP_UNCPRIORITY);
            link->GetArguments(arguments, sizeof(arguments));
            ++read;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    file->Release();
    link->Release();
    return read;
}

std::size_t ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes.size();
}

int CountProcesses() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int count = 0;
    PROCESSENTRY32 process{};
    process.dwSize = sizeof(process);
    for (BOOL more = Process32First(snapshot, &process); more;
         more = Process32Next(snapshot, &process)) {
        ++count;
    }
    CloseHandle(snapshot);
    return count;
}

int ShellIcon(const std::string& path) {
    SHFILEINFOA info{};
    SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SYSICONINDEX);
    if (info.hIcon != nullptr) {
        DestroyIcon(info.hIcon);
    }
    return info.iIcon;
}

struct RefreshFloorRun {
    double milliseconds = 0;
    int values = 0;         // registry values read
    int links = 0;          // shell links loaded
    int iconMismatches = 0; // rows whose icon differs from the program's
};

// The platform work of one refresh: every Run-type key's values, the shell
// links of both Startup folders, the win.ini parameters, disable.ini read
// whole, the existence checks of the resolution rule, one icon look-up per
// distinct existing program file (and the drive's icon for missing ones),
// the process list for the status, report.ini replaced whole, and the rows
// inserted into a list with redraw off.
RefreshFloorRun FloorRefresh(HWND list, const RefreshPlan& plan) {
    RefreshFloorRun run;
    CoInitialize(nullptr); // a program may hold COM for its life: not timed
    const Clock::time_point start = Clock::now();

    run.values = ReadRunKeys();
    run.links = ReadStartupLinks();
    std::vector<char> line(65536);
    GetProfileStringA("windows", "run", "", line.data(), static_cast<DWORD>(line.size()));
    GetProfileStringA("windows", "load", "", line.data(), static_cast<DWORD>(line.size()));
    ReadWholeFile(plan.disabledStore);
    for (const std::string& path : plan.probes) {
        GetFileAttributesA(path.c_str());
    }
    std::vector<int> fileIcons;
    fileIcons.reserve(plan.iconFiles.size());
    for (const std::string& path : plan.iconFiles) {
        fileIcons.push_back(ShellIcon(path));
    }
    const int driveIcon = plan.driveIcon ? ShellIcon("C:\\") : 0;
    CountProcesses();
    ReplaceWhole(plan.reportPath, plan.reportText);
    std::vector<int> icons;
    icons.reserve(plan.rows.size());
    for (const FloorRow& row : plan.rows) {
        icons.push_back(row.command.empty() ? 0
                        : row.iconSlot < 0  ? driveIcon
                                            : fileIcons[static_cast<std::size_t>(row.iconSlot)]);
    }
    InsertFloorRows(list, plan.rows, icons);

    run.milliseconds = Milliseconds(start);
    CoUninitialize();
    for (std::size_t i = 0; i < plan.rows.size(); ++i) {
        run.iconMismatches += icons[i] != plan.rows[i].icon ? 1 : 0;
    }
    return run;
}

// ---- the sort floor ----

int CALLBACK CompareKeys(LPARAM first, LPARAM second, LPARAM keys) {
    const std::vector<std::string>& texts =
        *reinterpret_cast<const std::vector<std::string>*>(keys);
    return std::strcmp(texts[static_cast<std::size_t>(first)].c_str(),
                       texts[static_cast<std::size_t>(second)].c_str());
}

// The rows of the list (filled with item data = index into `keys`) sorted
// by the list itself with a plain comparison of their keys.
double FloorSort(HWND list, const std::vector<std::string>& keys) {
    const Clock::time_point start = Clock::now();
    SendMessageA(list, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&keys),
                 reinterpret_cast<LPARAM>(&CompareKeys));
    return Milliseconds(start);
}

bool FloorSortedBy(HWND list, const std::vector<std::string>& keys) {
    std::string previous;
    for (int row = 0; row < FloorRowCount(list); ++row) {
        LVITEMA item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        const std::string& key = keys[static_cast<std::size_t>(item.lParam)];
        if (row > 0 && std::strcmp(previous.c_str(), key.c_str()) > 0) {
            return false;
        }
        previous = key;
    }
    return true;
}

// ---- the toggle floors ----

// Registry values of one key, as rows of a list and records of a store.
struct ToggleSet {
    HKEY root = HKEY_CURRENT_USER;
    std::string keyPath;
    std::vector<std::string> names;
    std::vector<std::string> data; // REG_SZ text
    RecordTexts records;           // one record per value, in the same order
};

ToggleSet MakeToggleSet(const std::string& keyPath, const std::string& prefix, int count) {
    ToggleSet set;
    set.keyPath = keyPath;
    std::vector<FloorRow> rows;
    for (int i = 0; i < count; ++i) {
        FloorRow row;
        row.title = prefix + std::to_string(i);
        row.command = CommandFor(i);
        row.location = "HKCU\\" + keyPath;
        set.names.push_back(row.title);
        set.data.push_back(row.command);
        rows.push_back(row);
    }
    set.records = MakeRecordTexts(rows);
    return set;
}

// The toggle floors rewrite a store of the whole set's size each time: the
// program's store keeps the records beyond "total" that a shorter rewrite
// leaves, so once the set has been disabled whole it stays that size.

// Rows unchecked one at a time: each value deleted, the store rewritten
// whole, the snapshot (when a path is given) rewritten without the row, the
// box cleared.
double FloorDisable(HWND list, const ToggleSet& set, const std::string& storePath,
                    const std::string& snapshotPath) {
    const Clock::time_point start = Clock::now();
    HKEY key = nullptr;
    if (RegOpenKeyExA(set.root, set.keyPath.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        for (std::size_t i = 0; i < set.names.size(); ++i) {
            RegDeleteValueA(key, set.names[i].c_str());
            ReplaceWhole(storePath, set.records.Text(set.names.size()));
            if (!snapshotPath.empty()) {
                ReplaceWhole(snapshotPath, set.records.Text(set.names.size() - i - 1));
            }
            SetFloorCheck(list, static_cast<int>(i), false);
        }
        RegCloseKey(key);
    }
    return Milliseconds(start);
}

// Rows checked one at a time: the snapshot (when a path is given) rewritten
// with the row, each value written, the store rewritten whole, the box set.
double FloorEnable(HWND list, const ToggleSet& set, const std::string& storePath,
                   const std::string& snapshotPath) {
    const Clock::time_point start = Clock::now();
    HKEY key = nullptr;
    if (RegOpenKeyExA(set.root, set.keyPath.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        const std::size_t count = set.names.size();
        for (std::size_t i = 0; i < count; ++i) {
            if (!snapshotPath.empty()) {
                ReplaceWhole(snapshotPath, set.records.Text(i + 1));
            }
            RegSetValueExA(key, set.names[i].c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(set.data[i].c_str()),
                           static_cast<DWORD>(set.data[i].size() + 1));
            ReplaceWhole(storePath, set.records.Text(count));
            SetFloorCheck(list, static_cast<int>(i), true);
        }
        RegCloseKey(key);
    }
    return Milliseconds(start);
}

std::vector<FloorRow> ToggleRows(const ToggleSet& set) {
    std::vector<FloorRow> rows;
    for (std::size_t i = 0; i < set.names.size(); ++i) {
        FloorRow row;
        row.title = set.names[i];
        row.command = set.data[i];
        row.status = "-";
        row.location = "HKCU\\" + set.keyPath;
        rows.push_back(row);
    }
    return rows;
}

DWORD ValueCount(HKEY root, const std::string& keyPath) {
    HKEY key = nullptr;
    DWORD values = 0;
    if (RegOpenKeyExA(root, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
        RegCloseKey(key);
    }
    return values;
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

// ---------------------------------------------------------------------------
// Figures.

constexpr int kRuns = 3;

double Median(std::vector<double> values) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void PrintTime(const std::string& name, double milliseconds) {
    std::printf("%s: %.0f ms\n", name.c_str(), milliseconds);
    std::fflush(stdout);
}

void PrintRatio(const std::string& name, double ratio) {
    std::printf("ratio %s: %.2f\n", name.c_str(), ratio);
    std::fflush(stdout);
}

// The program's time, the floor's and the program's time over the floor's.
void PrintBeside(const std::string& name, double program, double floor) {
    PrintTime(name, program);
    PrintTime(name + "-floor", floor);
    PrintRatio(name, floor > 0 ? program / floor : 0.0);
}

bool g_sound = true; // every check of the data held

void Expect(bool holds, const std::string& what) {
    if (!holds) {
        g_sound = false;
        std::fprintf(stderr, "unexpected: %s\n", what.c_str());
    }
}

int UncheckedRows() {
    int unchecked = 0;
    for (int row = 0; row < kv::RowCount(); ++row) {
        unchecked += kv::RowUnchecked(row) ? 1 : 0;
    }
    return unchecked;
}

bool ListSortedByCommand() {
    std::string previous;
    for (int row = 0; row < kv::RowCount(); ++row) {
        const std::string command = kv::RowText(row, kv::kColumnCommand);
        if (row > 0 && std::strcmp(previous.c_str(), command.c_str()) > 0) {
            return false;
        }
        previous = command;
    }
    return true;
}

// The program's refresh and the floor's, in turns, after one untimed run of
// each on the same rows.
void MeasureRefresh(const std::string& name, HWND floorList, const std::string& floorFolder,
                    double& programMedian) {
    kv::ScanDriver();
    const RefreshPlan plan = LearnRefresh(floorFolder);
    FloorRefresh(floorList, plan);
    std::vector<double> program;
    std::vector<double> floor;
    RefreshFloorRun last;
    for (int run = 0; run < kRuns; ++run) {
        const Clock::time_point start = Clock::now();
        kv::ScanDriver();
        program.push_back(Milliseconds(start));
        last = FloorRefresh(floorList, plan);
        floor.push_back(last.milliseconds);
    }
    std::fprintf(stderr,
                 "%s: %d rows (%d disabled), %zu existence checks, %zu program files with "
                 "icons; floor: %d values, %d links, %d rows, %d checked\n",
                 name.c_str(), kv::RowCount(), UncheckedRows(), plan.probes.size(),
                 plan.iconFiles.size(), last.values, last.links, FloorRowCount(floorList),
                 FloorCheckedCount(floorList));
    for (const std::string& file : plan.iconFiles) {
        std::fprintf(stderr, "  program file: %s\n", file.c_str());
    }
    Expect(last.values == plan.expectedValues, name + ": floor read every registry value");
    Expect(last.links == plan.expectedLinks, name + ": floor loaded every shortcut");
    Expect(last.iconMismatches == 0, name + ": floor icons are the program's (" +
                                         std::to_string(last.iconMismatches) + " differ)");
    Expect(FloorRowCount(floorList) == kv::RowCount(), name + ": floor rows");
    Expect(FloorCheckedCount(floorList) == kv::RowCount() - UncheckedRows(),
           name + ": floor check boxes");
    programMedian = Median(program);
    PrintBeside(name, programMedian, Median(floor));
}

// Started as "--memory FOLDER RESULT": the program's window, 10,000 registry
// entries, one refresh; writes the row count and the working set in bytes.
// Writes the row count and the working set of this process to the file.
int WriteMemoryResult(int rows, const std::string& resultPath) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    const std::string result =
        std::to_string(rows) + " " +
        std::to_string(static_cast<unsigned long long>(counters.WorkingSetSize));
    HANDLE file = CreateFileA(resultPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, result.data(), static_cast<DWORD>(result.size()), &written, nullptr);
        CloseHandle(file);
    }
    return 0;
}

int MeasureMemory(const std::string& folder, const std::string& resultPath) {
    CreateDirectoryA(folder.c_str(), nullptr);
    kv::SetExecutableDirectoryForTests(folder);
    HINSTANCE instance = GetModuleHandleA(nullptr);
    kv::RegisterMainWindowClass(instance);
    HWND window = kv::CreateMainWindow(instance, 0, 0, 1000, 700);
    if (window == nullptr) {
        return 1;
    }
    FillRegistry(10000);
    kv::ScanDriver();
    const int rows = kv::RowCount();
    return WriteMemoryResult(rows, resultPath);
}

// The floor of the memory figure: a process of its own that shows the same
// 10,000 rows, with their four texts, icon and box, in a bare virtual report
// list whose parent keeps each row's texts in strings of their own.
int MeasureMemoryFloor(const std::string& resultPath) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND parent = nullptr;
    HWND list = CreateFloorList(instance, parent, true);
    if (list == nullptr) {
        return 1;
    }
    const std::string stopped = kv::LoadText(IDS_STATUS_STOPPED);
    for (int i = 0; i < 10000; ++i) {
        FloorRow row;
        row.title = "Entry " + std::to_string(i);
        row.command = CommandFor(i);
        row.status = stopped;
        row.location = "HKCU\\" + std::string(kv::kRunKey);
        g_virtualRows.push_back(row);
    }
    SendMessageA(list, LVM_SETITEMCOUNT, g_virtualRows.size(), 0);
    UpdateWindow(parent);
    const int result = WriteMemoryResult(FloorRowCount(list), resultPath);
    DestroyWindow(parent);
    return result;
}

// The working set of a separate process listing 10,000 entries, so that
// nothing of the benchmark itself is counted: the program's, or with
// `floor` the bare list's. Its size in bytes, 0 when it gave none.
unsigned long long MeasureMemoryInChild(const std::string& programFolder, bool floor) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string resultPath = programFolder + "\\memory.txt";
    DeleteFileA(resultPath.c_str());
    std::string commandLine = "\"" + std::string(self) + "\" " +
                              (floor ? "--memory-floor" : "--memory") + " \"" + programFolder +
                              "\\memory\" \"" + resultPath + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        Expect(false, "memory: the measuring process did not start");
        return 0;
    }
    const bool ended = WaitForSingleObject(process.hProcess, 900000) == WAIT_OBJECT_0;
    if (!ended) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    HANDLE file = CreateFileA(resultPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    char text[64] = {};
    DWORD got = 0;
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, text, sizeof(text) - 1, &got, nullptr);
        CloseHandle(file);
    }
    int rows = 0;
    unsigned long long bytes = 0;
    if (!ended || std::sscanf(text, "%d %llu", &rows, &bytes) != 2) {
        Expect(false, "memory: no result from the measuring process");
        return 0;
    }
    Expect(rows == 10000, "memory: " + std::to_string(rows) + " rows listed");
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--sleep") {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return 0;
    }
    if (argc == 4 && std::string(argv[1]) == "--memory") {
        return MeasureMemory(argv[2], argv[3]);
    }
    if (argc == 4 && std::string(argv[1]) == "--memory-floor") {
        return MeasureMemoryFloor(argv[3]);
    }
    // settings.ini and the per-user store go into a folder of the run's own.
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string programFolder = std::string(temp) + "kelvorin_bench";
    // A snapshot left by an interrupted run would make the start-up check ask.
    DeleteFolderTree(programFolder);
    CreateDirectoryA(programFolder.c_str(), nullptr);
    kv::SetExecutableDirectoryForTests(programFolder);
    const std::string floorFolder = programFolder + "\\floor";
    CreateDirectoryA(floorFolder.c_str(), nullptr);
    const std::string floorStore = floorFolder + "\\disable.ini";
    const std::string floorSnapshot = floorFolder + "\\report.ini";

    ClearStartupRegistry();
    ClearFoldersAndWinIni();
    FillRegistry(2000);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    kv::RegisterMainWindowClass(instance);
    HWND window = kv::CreateMainWindow(instance, 0, 0, 1000, 700);
    HWND floorParent = nullptr;
    HWND floorList = CreateFloorList(instance, floorParent);
    if (window == nullptr || floorList == nullptr) {
        std::fprintf(stderr, "could not create the windows\n");
        return 1;
    }
    const std::string disabledStore = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);

    // Refreshes are sorted by title, as a first start sorts them.
    kv::g_app.sortColumn = kv::kColumnTitle;
    double refreshRegistry = 0;
    MeasureRefresh("refresh-registry", floorList, floorFolder, refreshRegistry);
    Expect(kv::RowCount() == 2000, "refresh-registry: 2000 rows");

    // The header click on the command column of 2,400 rows, each run from
    // the list as a refresh sorted it by title.
    Expect(FillStartupFolders(300) == 300, "300 shortcuts made");
    Expect(FillWinIni(100) == 100, "100 win.ini items");
    std::vector<double> sortProgram;
    std::vector<double> sortFloor;
    for (int run = 0; run < kRuns; ++run) {
        kv::g_app.sortColumn = kv::kColumnTitle;
        kv::ScanDriver();
        const std::vector<FloorRow> before = LearnRows();
        std::vector<std::string> keys;
        for (const FloorRow& row : before) {
            keys.push_back(row.command);
        }
        kv::g_app.sortColumn = kv::kColumnCommand;
        kv::g_app.sortAscending[kv::kColumnCommand] = true;
        const Clock::time_point start = Clock::now();
        kv::SortEntryList(kv::kColumnCommand);
        sortProgram.push_back(Milliseconds(start));
        FillFloorList(floorList, before);
        sortFloor.push_back(FloorSort(floorList, keys));
        Expect(ListSortedByCommand(), "sort: the program's list is in command order");
        Expect(FloorSortedBy(floorList, keys), "sort: the floor's list is in command order");
    }
    std::fprintf(stderr, "sort: %d rows\n", kv::RowCount());
    Expect(kv::RowCount() == 2400, "sort: 2400 rows");
    PrintBeside("sort", Median(sortProgram), Median(sortFloor));

    // Every location: the registry, the shortcuts, win.ini and 500 disabled
    // entries in disable.ini.
    kv::g_app.sortColumn = kv::kColumnTitle;
    std::vector<kv::StartupEntry> disabled;
    for (int i = 0; i < 500; ++i) {
        kv::StartupEntry entry;
        entry.title = "Disabled " + std::to_string(i);
        entry.command = CommandFor(i);
        entry.location = (i % 2 == 0 ? "HKCU\\" : "HKLM\\") + std::string(kv::kRunKey);
        disabled.push_back(entry);
    }
    Expect(kv::WriteDisabledStore(disabled), "disable.ini written");
    double refreshAll = 0;
    MeasureRefresh("refresh-all", floorList, floorFolder, refreshAll);
    Expect(kv::RowCount() == 2900 && UncheckedRows() == 500,
           "refresh-all: 2900 rows, 500 of them disabled");

    // A change check with nothing changed: the set before, a refresh, the
    // set after, the matching and the closing refresh. The timed check does
    // this work without the two boxes that the manual check shows when it
    // finds nothing. Set against one refresh of the same rows.
    std::vector<double> check;
    for (int run = 0; run < kRuns; ++run) {
        const Clock::time_point start = Clock::now();
        kv::CheckForChanges(kv::CheckMode::Timed);
        check.push_back(Milliseconds(start));
    }
    Expect(kv::RowCount() == 2900 && UncheckedRows() == 500, "check: the rows stay");
    const double checkMedian = Median(check);
    PrintTime("check", checkMedian);
    PrintRatio("check", refreshAll > 0 ? checkMedian / refreshAll : 0.0);

    // Running status over the registry rows, with some dozens of small
    // processes of a few names running; some rows name them. Set against the
    // plain rule.
    ClearFoldersAndWinIni();
    DeleteFileA(disabledStore.c_str());
    std::vector<std::string> sleeperPrograms;
    std::vector<PROCESS_INFORMATION> sleepers = StartSleepers(programFolder, 40, sleeperPrograms);
    for (int i = 0; i < 40; ++i) {
        SetString(HKEY_CURRENT_USER, kv::kRunKey, "Sleeper " + std::to_string(i),
                  sleeperPrograms[static_cast<std::size_t>(i) % sleeperPrograms.size()] + " -x");
    }
    kv::ScanDriver();
    std::vector<double> literal;
    std::vector<double> mark;
    int literalMarks = 0;
    for (int run = 0; run < kRuns; ++run) {
        const Clock::time_point literalStart = Clock::now();
        literalMarks = MarkRunningLiterally();
        literal.push_back(Milliseconds(literalStart));
        const Clock::time_point markStart = Clock::now();
        kv::MarkRunningRows();
        mark.push_back(Milliseconds(markStart));
    }
    int running = 0;
    const std::string runningText = kv::LoadText(IDS_STATUS_RUNNING);
    for (int row = 0; row < kv::RowCount(); ++row) {
        running += kv::RowText(row, kv::kColumnStatus) == runningText ? 1 : 0;
    }
    std::fprintf(stderr,
                 "running-status: %d rows, %d sleepers, %d rows running, %d literal matches\n",
                 kv::RowCount(), static_cast<int>(sleepers.size()), running, literalMarks);
    Expect(running == 40, "running-status: 40 rows running");
    const double markMedian = Median(mark);
    const double literalMedian = Median(literal);
    PrintTime("running-status", markMedian);
    PrintTime("running-status-literal", literalMedian);
    PrintRatio("running-status", markMedian > 0 ? literalMedian / markMedian : 0.0);
    for (PROCESS_INFORMATION& process : sleepers) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }

    // "Отключить всё" and then "Включить всё" over 500 registry entries: every
    // row is disabled or enabled through its own check-box change, and
    // disable.ini and report.ini are rewritten (whole and safe) for each one. Three rounds,
    // each with the floor's disabling and enabling of the same values.
    ClearStartupRegistry();
    ClearFoldersAndWinIni();
    DeleteFileA(disabledStore.c_str());
    const ToggleSet toggles = MakeToggleSet(kv::kRunKey, "Toggle ", 500);
    for (std::size_t i = 0; i < toggles.names.size(); ++i) {
        SetString(HKEY_CURRENT_USER, kv::kRunKey, toggles.names[i], toggles.data[i]);
    }
    kv::ScanDriver();
    Expect(kv::RowCount() == 500, "toggles: 500 rows");
    FillFloorList(floorList, ToggleRows(toggles));
    std::vector<double> disableAll;
    std::vector<double> enableAll;
    std::vector<double> disableFloor;
    std::vector<double> enableFloor;
    for (int run = 0; run < kRuns; ++run) {
        Clock::time_point start = Clock::now();
        kv::UncheckAllRows();
        disableAll.push_back(Milliseconds(start));
        Expect(UncheckedRows() == 500 && ValueCount(HKEY_CURRENT_USER, kv::kRunKey) == 0,
               "disable-all: every row disabled, every value gone");
        start = Clock::now();
        kv::CheckAllRows();
        enableAll.push_back(Milliseconds(start));
        Expect(UncheckedRows() == 0 && ValueCount(HKEY_CURRENT_USER, kv::kRunKey) == 500,
               "enable-all: every row enabled, every value back");
        disableFloor.push_back(FloorDisable(floorList, toggles, floorStore, floorSnapshot));
        Expect(FloorCheckedCount(floorList) == 0 && ValueCount(HKEY_CURRENT_USER, kv::kRunKey) == 0,
               "disable-all floor: every box cleared, every value gone");
        enableFloor.push_back(FloorEnable(floorList, toggles, floorStore, floorSnapshot));
        Expect(FloorCheckedCount(floorList) == 500 &&
                   ValueCount(HKEY_CURRENT_USER, kv::kRunKey) == 500,
               "enable-all floor: every box set, every value back");
    }
    PrintBeside("disable-all", Median(disableAll), Median(disableFloor));
    PrintBeside("enable-all", Median(enableAll), Median(enableFloor));

    // A restore of a 500-entry list file over a different 500-entry set:
    // every active entry leaves, every entry of the file comes back, and the
    // store is right after each row's change. Each round first brings back
    // the set the file replaces. The floor: 500 rows disabled and 500 enabled.
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
    Expect(kv::WriteListFile(listPath, listed), "restore: list file written");
    const ToggleSet present = MakeToggleSet(kv::kRunKey, "Present ", 500);
    const ToggleSet comingBack = MakeToggleSet(kv::kRunKey, "Listed ", 500);
    const auto bringBackPresent = [&]() {
        ClearStartupRegistry();
        DeleteFileA(disabledStore.c_str());
        for (std::size_t i = 0; i < present.names.size(); ++i) {
            SetString(HKEY_CURRENT_USER, kv::kRunKey, present.names[i], present.data[i]);
        }
    };
    std::vector<double> restore;
    std::vector<double> restoreFloor;
    for (int run = 0; run < kRuns; ++run) {
        bringBackPresent();
        kv::ScanDriver();
        const Clock::time_point start = Clock::now();
        const bool restored = kv::RestoreListFile(listPath);
        restore.push_back(Milliseconds(start));
        Expect(restored && kv::RowCount() == 500 && UncheckedRows() == 50 &&
                   ValueCount(HKEY_CURRENT_USER, kv::kRunKey) == 450,
               "restore: 500 rows, 50 of them disabled");
        bringBackPresent();
        FillFloorList(floorList, ToggleRows(present));
        restoreFloor.push_back(FloorDisable(floorList, present, floorStore, std::string()) +
                               FloorEnable(floorList, comingBack, floorStore, std::string()));
        Expect(ValueCount(HKEY_CURRENT_USER, kv::kRunKey) == 500 &&
                   FloorCheckedCount(floorList) == 500,
               "restore floor: the other 500 values in place");
    }
    PrintBeside("restore", Median(restore), Median(restoreFloor));

    DestroyWindow(floorParent);
    DestroyWindow(window);
    ClearStartupRegistry();
    ClearFoldersAndWinIni();

    const unsigned long long memory = MeasureMemoryInChild(programFolder, false);
    const unsigned long long memoryFloor = MeasureMemoryInChild(programFolder, true);
    std::printf("memory-10000-rows: %.0f MB\n", static_cast<double>(memory) / (1024.0 * 1024.0));
    std::printf("memory-10000-rows-floor: %.0f MB\n",
                static_cast<double>(memoryFloor) / (1024.0 * 1024.0));
    std::fflush(stdout);

    ClearStartupRegistry();
    DeleteFolderTree(programFolder);
    return g_sound ? 0 : 2;
}
