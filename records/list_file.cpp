#include "records/list_file.h"

#include "records/entry_records.h"
#include "records/profile_records.h"
#include "records/profile_text.h"

namespace kv {

bool WriteListFile(const std::string& path, const std::vector<StartupEntry>& rows) {
    std::vector<ProfileRecord> records;
    records.reserve(rows.size());
    for (const StartupEntry& row : rows) {
        StartupEntry saved = row;
        saved.kept.file.clear(); // a list keeps no copies of files
        ProfileRecord record = RecordOfEntry(saved);
        record.hasState = true;
        record.state = row.checked ? 1 : 0;
        records.push_back(std::move(record));
    }
    return WriteProfileRecords(path, records, true, true);
}

ListFile ReadListFile(const std::string& path) {
    ListFile list;
    std::string text;
    list.read = ReadProfileFile(path, text);
    if (list.read != FileRead::Whole) {
        return list;
    }
    // "total" must be there and be a number; the profile functions would read
    // a missing or misspelt one as 0, an empty list.
    const std::vector<ProfileSection> sections = ParseProfileText(text);
    const ProfileSection* common = FindProfileSection(sections, "common");
    std::string total;
    if (common == nullptr || !FindProfileValue(*common, "total", total)) {
        return list;
    }
    const std::string::size_type first = total.find_first_not_of(" \t");
    const std::string digits = first == std::string::npos ? std::string() : total.substr(first);
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string::npos) {
        return list;
    }
    const RecordFile file = RecordsOfText(text, true);
    if (static_cast<long long>(file.records.size()) != file.total ||
        file.total != ProfileInteger(digits)) {
        return list;
    }
    list.valid = true;
    for (const ProfileRecord& record : file.records) {
        StartupEntry entry = EntryOfRecord(record, std::string());
        entry.kept.file.clear();
        entry.checked = record.state != 0;
        list.entries.push_back(std::move(entry));
    }
    return list;
}

} // namespace kv
