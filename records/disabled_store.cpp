#include "records/disabled_store.h"

#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/text.h"
#include "records/profile_records.h"
#include "records/profile_text.h"
#include "records/user_data_folder.h"

#include <windows.h>

#include <deque>
#include <map>

namespace kv {

namespace {

std::string StorePath() {
    return UserDataFilePath(UserDataFile::DisabledStore);
}

std::string KeptFilesFolderPath() {
    return UserDataFolderPath() + "\\disabled";
}

// The kept form a record names, with the kept file's full path.
KeptForm FormOfRecord(const ProfileRecord& record, const std::string& keptFolder) {
    KeptForm form;
    const auto type = record.extra.find("type");
    const auto data = record.extra.find("data");
    std::string bytes;
    if (data != record.extra.end() && HexDecode(data->second, bytes)) {
        form.hasValue = true;
        form.valueBytes = bytes;
    }
    if (type != record.extra.end()) {
        const long long value = ProfileInteger(type->second);
        if (value >= 0 && value <= 0xFFFFFFFFLL) {
            form.hasValue = true;
            form.valueType = static_cast<unsigned long>(value);
            if (data == record.extra.end()) {
                form.valueBytes = record.command + '\0';
            }
        }
    }
    const auto link = record.extra.find("link");
    if (link != record.extra.end() && IsPlainFileName(link->second)) {
        form.file = keptFolder + "\\" + link->second;
    }
    return form;
}

ProfileRecord RecordOf(const StartupEntry& entry) {
    ProfileRecord record;
    record.title = entry.title;
    record.command = entry.command;
    record.location = entry.location;
    const KeptForm& form = entry.kept;
    if (form.hasValue) {
        if (form.valueType != REG_SZ) {
            record.extra["type"] = std::to_string(form.valueType);
        }
        if (form.valueBytes != entry.command + '\0') {
            record.extra["data"] = HexEncode(form.valueBytes);
        }
    }
    if (!form.file.empty()) {
        record.extra["link"] = AfterLastBackslash(form.file);
    }
    return record;
}

// The three texts as one key; the lengths keep "a|bc" and "ab|c" apart.
std::string TextsKey(const StartupEntry& entry) {
    return std::to_string(entry.title.size()) + ":" + entry.title +
           std::to_string(entry.command.size()) + ":" + entry.command + entry.location;
}

} // namespace

std::vector<StartupEntry> ReadDisabledEntries() {
    std::vector<StartupEntry> entries;
    const RecordFile file = ReadRecordFile(StorePath(), false);
    if (file.records.empty()) {
        return entries;
    }
    const std::string keptFolder = KeptFilesFolderPath();
    for (const ProfileRecord& record : file.records) {
        if (!record.whole || record.location.empty()) {
            continue;
        }
        StartupEntry entry;
        entry.title = record.title;
        entry.command = record.command;
        entry.location = record.location;
        entry.checked = false;
        entry.kept = FormOfRecord(record, keptFolder);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<StartupEntry> ReadDisabledStore() {
    std::vector<StartupEntry> entries = ReadDisabledEntries();
    const PathEnvironment env = SystemPathEnvironment();
    for (StartupEntry& entry : entries) {
        entry.icon = kIconLookup;
        entry.programPath = ResolveCommandPathIn(entry.command, ResolveMode::ProgramPath, env);
        entry.iconPath = entry.programPath;
    }
    return entries;
}

bool WriteDisabledStore(const std::vector<StartupEntry>& disabled) {
    std::vector<ProfileRecord> records;
    records.reserve(disabled.size());
    for (const StartupEntry& entry : disabled) {
        records.push_back(RecordOf(entry));
    }
    return WriteProfileRecords(StorePath(), records, false, true);
}

bool UpdateDisabledRecord(const std::string& oldTitle, const std::string& oldCommand,
                          const std::string& oldLocation, const std::string& newTitle,
                          const std::string& newCommand, const std::string& newLocation) {
    const std::string path = StorePath();
    std::vector<ProfileRecord> records = ReadProfileRecords(path, false);
    const std::string title = LowerAscii(oldTitle);
    const std::string command = LowerAscii(oldCommand);
    const std::string location = LowerAscii(oldLocation);
    ProfileRecord* match = nullptr;
    for (ProfileRecord& record : records) {
        if (LowerAscii(record.title) == title && LowerAscii(record.command) == command &&
            LowerAscii(record.location) == location) {
            match = &record;
            break;
        }
    }
    if (match == nullptr) {
        records.emplace_back();
        match = &records.back();
    }
    match->title = newTitle;
    match->command = newCommand;
    match->location = newLocation;
    match->whole = true;
    match->extra.clear();
    return WriteProfileRecords(path, records, false, true);
}

std::vector<StartupEntry> WithKeptForms(const std::vector<StartupEntry>& rows,
                                        const std::vector<StartupEntry>& stored) {
    // The stored entries of each set of texts, in store order.
    std::map<std::string, std::deque<std::size_t>> byTexts;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        byTexts[TextsKey(stored[i])].push_back(i);
    }
    std::vector<StartupEntry> result = rows;
    for (StartupEntry& row : result) {
        row.kept = KeptForm();
        const auto found = byTexts.find(TextsKey(row));
        if (found != byTexts.end() && !found->second.empty()) {
            row.kept = stored[found->second.front()].kept;
            found->second.pop_front();
        }
    }
    return result;
}

std::string KeptFilesFolder() {
    const std::string folder = KeptFilesFolderPath();
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    return folder;
}

std::string NewKeptFilePath(const std::string& fileName) {
    const std::string folder = KeptFilesFolder();
    const std::string::size_type dot = fileName.rfind('.');
    const std::string stem =
        dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
    const std::string extension =
        dot == std::string::npos || dot == 0 ? std::string() : fileName.substr(dot);
    std::string path = folder + "\\" + fileName;
    for (int copy = 2; GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++copy) {
        path = folder + "\\" + stem + " (" + std::to_string(copy) + ")" + extension;
    }
    return path;
}

void DiscardKeptFile(const std::string& path) {
    const std::string::size_type slash = path.rfind('\\');
    if (path.empty() || slash == std::string::npos ||
        LowerAscii(path.substr(0, slash)) != LowerAscii(KeptFilesFolderPath()) ||
        !IsPlainFileName(path.substr(slash + 1))) {
        return;
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

} // namespace kv
