#include "records/disabled_store.h"

#include "entries/command_path.h"
#include "entries/text.h"
#include "records/profile_records.h"
#include "records/user_data_folder.h"

namespace kv {

std::vector<StartupEntry> ReadDisabledStore() {
    std::vector<StartupEntry> entries;
    const PathEnvironment env = SystemPathEnvironment();
    for (const ProfileRecord& record :
         ReadProfileRecords(UserDataFilePath(UserDataFile::DisabledStore), false)) {
        if (record.title.empty() || record.command.empty() || record.location.empty()) {
            continue;
        }
        StartupEntry entry;
        entry.title = record.title;
        entry.command = record.command;
        entry.location = record.location;
        entry.icon = kIconLookup;
        entry.iconPath = ResolveCommandPathIn(record.command, ResolveMode::ProgramPath, env);
        entry.checked = false;
        entries.push_back(std::move(entry));
    }
    return entries;
}

bool WriteDisabledStore(const std::vector<StartupEntry>& disabled) {
    std::vector<ProfileRecord> records;
    records.reserve(disabled.size());
    for (const StartupEntry& entry : disabled) {
        ProfileRecord record;
        record.title = entry.title;
        record.command = entry.command;
        record.location = entry.location;
        records.push_back(std::move(record));
    }
    return WriteProfileRecords(UserDataFilePath(UserDataFile::DisabledStore), records, false, true);
}

bool UpdateDisabledRecord(const std::string& oldTitle, const std::string& oldCommand,
                          const std::string& oldLocation, const std::string& newTitle,
                          const std::string& newCommand, const std::string& newLocation) {
    const std::string path = UserDataFilePath(UserDataFile::DisabledStore);
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
    return WriteProfileRecords(path, records, false, true);
}

} // namespace kv
