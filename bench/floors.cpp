#include "bench/floors.h"

#include "bench/figures.h"
#include "bench/startup_set.h"
#include "entries/command_path.h"
#include "entries/processes.h"
#include "shell/list/entry_list.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <cstring>

namespace kvbench {

namespace {

// A profile value as the record files hold it: a value the profile reader
// would trim or unquote goes inside one more pair of double quotes.
std::string ProfileValue(const std::string& value) {
    const bool quote =
        !value.empty() && (value.front() == '"' || value.front() == '\'' || value.front() == ' ' ||
                           value.front() == '\t' || value.back() == ' ' || value.back() == '\t');
    return quote ? "\"" + value + "\"" : value;
}

int CALLBACK CompareKeys(LPARAM first, LPARAM second, LPARAM keys) {
    const std::vector<std::string>& texts =
        *reinterpret_cast<const std::vector<std::string>*>(keys);
    return std::strcmp(texts[static_cast<std::size_t>(first)].c_str(),
                       texts[static_cast<std::size_t>(second)].c_str());
}

} // namespace

std::string RecordText(std::size_t number, const std::string& title, const std::string& command,
                       const std::string& location) {
    return "[object " + std::to_string(number) + "]\r\ntitle=" + ProfileValue(title) +
           "\r\ncommand=" + ProfileValue(command) + "\r\nlocation=" + ProfileValue(location) +
           "\r\n";
}

std::string RecordTexts::Text(std::size_t count) const {
    return "[common]\r\ntotal=" + std::to_string(count) + "\r\n" + body.substr(0, ends[count]);
}

RecordTexts MakeRecordTexts(const std::vector<FloorRow>& rows) {
    RecordTexts texts;
    texts.ends.push_back(0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        texts.body += RecordText(i + 1, rows[i].title, rows[i].command, rows[i].location);
        texts.ends.push_back(texts.body.size());
    }
    return texts;
}

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

double FloorDisableLeast(const ToggleSet& set, const std::string& storePath,
                         const std::string& snapshotPath, bool readEach) {
    const Clock::time_point start = Clock::now();
    HKEY key = nullptr;
    if (RegOpenKeyExA(set.root, set.keyPath.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        if (readEach) {
            std::vector<BYTE> data(256);
            for (const std::string& name : set.names) {
                DWORD type = REG_NONE;
                DWORD size = static_cast<DWORD>(data.size());
                RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &size);
            }
        }
        // The store has every entry before any leaves its location.
        ReplaceWhole(storePath, set.records.Text(set.names.size()));
        for (const std::string& name : set.names) {
            RegDeleteValueA(key, name.c_str());
        }
        if (!snapshotPath.empty()) {
            ReplaceWhole(snapshotPath, set.records.Text(0));
        }
        RegCloseKey(key);
    }
    return Milliseconds(start);
}

double FloorEnableLeast(const ToggleSet& set, const std::string& storePath,
                        const std::string& snapshotPath, bool readEach) {
    const Clock::time_point start = Clock::now();
    HKEY key = nullptr;
    if (RegOpenKeyExA(set.root, set.keyPath.c_str(), 0, KEY_SET_VALUE | KEY_QUERY_VALUE, &key) ==
        ERROR_SUCCESS) {
        const std::size_t count = set.names.size();
        if (!snapshotPath.empty()) {
            ReplaceWhole(snapshotPath, set.records.Text(count));
        }
        for (std::size_t i = 0; i < count; ++i) {
            // Whether the name is taken meanwhile: a value of it is not
            // replaced unasked.
            if (readEach) {
                RegQueryValueExA(key, set.names[i].c_str(), nullptr, nullptr, nullptr, nullptr);
            }
            RegSetValueExA(key, set.names[i].c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(set.data[i].c_str()),
                           static_cast<DWORD>(set.data[i].size() + 1));
        }
        ReplaceWhole(storePath, set.records.Text(count));
        RegCloseKey(key);
    }
    return Milliseconds(start);
}

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

} // namespace kvbench
