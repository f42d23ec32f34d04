#include "records/list_file.h"

#include "base/text.h"
#include "records/entry_records.h"
#include "records/profile_records.h"
#include "records/profile_text.h"

#include <windows.h>

namespace kv {

std::string ListCopiesFolder(const std::string& listPath) {
    const std::string::size_type slash = listPath.find_last_of("\\/");
    const std::string::size_type dot = listPath.rfind('.');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (extension ? listPath.substr(0, dot) : listPath) + " files";
}

bool WriteListFile(const std::string& path, const std::vector<StartupEntry>& rows,
                   bool withCopies) {
    const std::string copies = LowerAscii(ListCopiesFolder(path));
    std::vector<ProfileRecord> records;
    records.reserve(rows.size());
    for (const StartupEntry& row : rows) {
        StartupEntry saved = row;
        const std::string::size_type slash = saved.kept.file.rfind('\\');
        if (!withCopies || slash == std::string::npos ||
            LowerAscii(saved.kept.file.substr(0, slash)) != copies) {
            saved.kept.file.clear();
        }
        ProfileRecord record = RecordOfEntry(saved);
        record.hasState = true;
        // An entry that Windows' own switch turns off is saved as disabled.
        record.state = row.checked && !row.switchedOff ? 1 : 0;
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
    const std::string copies = ListCopiesFolder(path);
    for (const ProfileRecord& record : file.records) {
        StartupEntry entry = EntryOfRecord(record, copies);
        if (!entry.kept.file.empty() &&
            GetFileAttributesA(entry.kept.file.c_str()) == INVALID_FILE_ATTRIBUTES) {
            entry.kept.file.clear();
        }
        entry.checked = record.state != 0;
        list.entries.push_back(std::move(entry));
    }
    return list;
}

} // namespace kv
