#include "records/disabled_store.h"

#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/text.h"
#include "records/entry_records.h"
#include "records/profile_records.h"
#include "records/user_data_folder.h"

#include <windows.h>

namespace kv {

namespace {

std::string StorePath() {
    return UserDataFilePath(UserDataFile::DisabledStore);
}

std::string KeptFilesFolderPath() {
    return UserDataFolderPath() + "\\disabled";
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
        entries.push_back(EntryOfRecord(record, keptFolder));
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
        records.push_back(RecordOfEntry(entry));
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
