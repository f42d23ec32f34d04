#include "records/change_snapshot.h"

#include "entries/text.h"
#include "records/entry_records.h"
#include "records/profile_records.h"
#include "records/user_data_folder.h"

#include <windows.h>

#include <unordered_map>

namespace kv {

namespace {

char UpperAsciiChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string SnapshotPath() {
    return UserDataFilePath(UserDataFile::ChangeSnapshot);
}

// The texts of an entry as the comparison sees them: with A-Z for a-z, and
// the lengths first, so that equal keys mean equal texts.
std::string ComparisonKey(const StartupEntry& entry) {
    std::string key;
    for (const std::string* text : {&entry.title, &entry.command, &entry.location}) {
        key += std::to_string(text->size());
        key += ':';
        for (const char c : *text) {
            key += UpperAsciiChar(c);
        }
    }
    return key;
}

} // namespace

int CompareTextNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return 10;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const unsigned char x = static_cast<unsigned char>(UpperAsciiChar(a[i]));
        const unsigned char y = static_cast<unsigned char>(UpperAsciiChar(b[i]));
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

EntryChanges CompareEntrySets(const std::vector<StartupEntry>& previous,
                              const std::vector<StartupEntry>& current) {
    // Matching is an equivalence of the three texts, so grouping by a key
    // gives exactly the pairs that comparing every pair would give.
    std::unordered_map<std::string, int> previousKeys;
    for (const StartupEntry& entry : previous) {
        ++previousKeys[ComparisonKey(entry)];
    }
    std::unordered_map<std::string, int> currentKeys;
    for (const StartupEntry& entry : current) {
        ++currentKeys[ComparisonKey(entry)];
    }
    EntryChanges changes;
    for (std::size_t i = 0; i < current.size(); ++i) {
        if (previousKeys.count(ComparisonKey(current[i])) == 0) {
            changes.added.push_back(i);
        }
    }
    for (std::size_t i = 0; i < previous.size(); ++i) {
        if (currentKeys.count(ComparisonKey(previous[i])) == 0) {
            changes.vanished.push_back(i);
        }
    }
    return changes;
}

bool ChangeSnapshotExists() {
    return GetFileAttributesA(SnapshotPath().c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WriteChangeSnapshot(const std::vector<StartupEntry>& entries, bool checkedOnly) {
    std::vector<ProfileRecord> records;
    records.reserve(entries.size());
    for (const StartupEntry& entry : entries) {
        if (!checkedOnly || entry.checked) {
            records.push_back(RecordOfEntry(entry));
            records.back().extra.erase("link"); // only the store keeps copies of files
        }
    }
    return WriteProfileRecords(SnapshotPath(), records, false, false);
}

std::vector<StartupEntry> ReadChangeSnapshot() {
    std::vector<StartupEntry> entries;
    for (const ProfileRecord& record : ReadProfileRecords(SnapshotPath(), false)) {
        if (record.whole && !record.location.empty()) {
            entries.push_back(EntryOfRecord(record, std::string()));
            entries.back().kept.file.clear();
        }
    }
    return entries;
}

} // namespace kv
