#include "records/change_snapshot.h"

#include "base/text.h"
#include "entries/entry_identity.h"
#include "records/entry_records.h"
#include "records/file_stamp.h"
#include "records/profile_records.h"
#include "records/profile_text.h"
#include "records/user_data_folder.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <utility>
#include <unordered_set>

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

// report.ini as it was last read or changed by a move, with the file's
// stamp then: while the file keeps it, reading the file again would give the
// same. The program's own moves change the snapshot one entry at a time (all
// of them in turn for "Включить всё"), so this saves a read of the whole file
// on each.
struct SnapshotRecord {
    std::string body;   // the record's lines, as written
    StartupEntry entry; // as a reader finds it in those lines
    // Of its three texts, as they are and as the comparison sees them: only
    // a record whose hash agrees is read to be compared.
    std::uint64_t exactHash = 0;
    std::uint64_t looseHash = 0;
};

struct SnapshotCopy {
    bool valid = false; // stands for the file at `path` with `stamp`
    std::string path;
    FileStamp stamp;
    bool whole = false;
    std::vector<SnapshotRecord> records; // those that name a place
};

SnapshotCopy g_snapshot;

// FNV-1a of the three texts, each with its length; with `loose`, a-z count
// as A-Z.
std::uint64_t TextsHash(const StartupEntry& entry, bool loose, bool withCommand = true) {
    std::uint64_t hash = 14695981039346656037ULL;
    const auto add = [&hash](unsigned char c) {
        hash ^= c;
        hash *= 1099511628211ULL;
    };
    static const std::string none;
    for (const std::string* text :
         {&entry.title, withCommand ? &entry.command : &none, &entry.location}) {
        for (std::size_t size = text->size(), k = 0; k < sizeof(size); ++k, size >>= 8) {
            add(static_cast<unsigned char>(size & 0xFF));
        }
        for (const char c : *text) {
            add(static_cast<unsigned char>(loose ? UpperAsciiChar(c) : c));
        }
    }
    return hash;
}

// The record of an enabled entry, with the value it keeps: only the store
// keeps copies of files.
ProfileRecord SnapshotRecordFields(const StartupEntry& entry) {
    ProfileRecord record = RecordOfEntry(entry);
    record.extra.erase("link");
    return record;
}

SnapshotRecord SnapshotRecordOf(const StartupEntry& entry) {
    SnapshotRecord kept;
    const ProfileRecord record = SnapshotRecordFields(entry);
    AppendRecordBody(kept.body, record, false);
    kept.entry = EntryOfRecord(record, std::string());
    kept.exactHash = TextsHash(entry, false);
    kept.looseHash = TextsHash(entry, true);
    return kept;
}

// The whole text of report.ini for these records.
std::string SnapshotText(const std::vector<SnapshotRecord>& records) {
    std::size_t size = 64;
    for (const SnapshotRecord& record : records) {
        size += record.body.size() + 24;
    }
    std::string text;
    text.reserve(size);
    text += "[common]\r\ntotal=";
    text += std::to_string(records.size());
    text += "\r\n";
    for (std::size_t k = 0; k < records.size(); ++k) {
        text += "[object ";
        text += std::to_string(k + 1);
        text += "]\r\n";
        text += records[k].body;
    }
    return text;
}

bool IsDecimalNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// A whole snapshot: "total" is a number, and the sections "object k" are
// exactly "object 1".."object total", each once.
bool IsWholeSnapshot(const std::string& text, const RecordFile& file) {
    const std::vector<ProfileSection> parsed = ParseProfileText(text);
    const ProfileSection* common = FindProfileSection(parsed, "common");
    std::string total;
    if (common == nullptr || !FindProfileValue(*common, "total", total) ||
        !IsDecimalNumber(total) || static_cast<long long>(file.records.size()) != file.total) {
        return false;
    }
    long long numbered = 0;
    for (const ProfileTextSection& section : ProfileTextSections(text)) {
        numbered += section.number >= 1 ? 1 : 0;
    }
    return numbered == file.total;
}

// The entries a reader finds in the snapshot's records.
std::vector<StartupEntry> EntriesOf(const std::vector<SnapshotRecord>& records) {
    std::vector<StartupEntry> entries;
    entries.reserve(records.size());
    for (const SnapshotRecord& record : records) {
        entries.push_back(record.entry);
    }
    return entries;
}

// Whether a record's texts are the entry's: exactly, or as the comparison
// sees them.
bool RecordHolds(const SnapshotRecord& record, const StartupEntry& entry, bool loose) {
    return loose ? ComparisonKey(record.entry) == ComparisonKey(entry)
                 : SameTexts(record.entry, entry);
}

// The first record that holds the entry's texts: exactly, or else as the
// comparison sees them; records.size() when none does.
std::size_t FindRecord(const std::vector<SnapshotRecord>& records, const StartupEntry& entry) {
    for (const bool loose : {false, true}) {
        const std::uint64_t hash = TextsHash(entry, loose);
        for (std::size_t i = 0; i < records.size(); ++i) {
            if ((loose ? records[i].looseHash : records[i].exactHash) == hash &&
                RecordHolds(records[i], entry, loose)) {
                return i;
            }
        }
    }
    return records.size();
}

// The records' places by their hashes, exact and loose, each kind sorted by
// hash and then place: many entries are found among many records without a
// pass over all for each.
struct RecordIndex {
    std::vector<std::pair<std::uint64_t, std::size_t>> byHash[2];

    explicit RecordIndex(const std::vector<SnapshotRecord>& records) {
        for (const bool loose : {false, true}) {
            auto& index = byHash[loose ? 1 : 0];
            index.reserve(records.size());
            for (std::size_t i = 0; i < records.size(); ++i) {
                index.emplace_back(loose ? records[i].looseHash : records[i].exactHash, i);
            }
            std::sort(index.begin(), index.end());
        }
    }

    // FindRecord among the records not yet taken.
    std::size_t Find(const std::vector<SnapshotRecord>& records, const StartupEntry& entry,
                     const std::vector<bool>& taken) const {
        for (const bool loose : {false, true}) {
            const auto& index = byHash[loose ? 1 : 0];
            const std::uint64_t hash = TextsHash(entry, loose);
            auto at =
                std::lower_bound(index.begin(), index.end(), std::make_pair(hash, std::size_t{0}));
            for (; at != index.end() && at->first == hash; ++at) {
                if (!taken[at->second] && RecordHolds(records[at->second], entry, loose)) {
                    return at->second;
                }
            }
        }
        return records.size();
    }
};

// What a text of report.ini holds: whether it is a whole snapshot, and its
// records that name a place.
SnapshotCopy SnapshotOfText(const std::string& text) {
    SnapshotCopy copy;
    const RecordFile file = RecordsOfText(text, false);
    copy.whole = IsWholeSnapshot(text, file);
    for (const ProfileRecord& record : file.records) {
        if (copy.whole && record.whole && !record.location.empty()) {
            copy.records.push_back(SnapshotRecordOf(EntryOfRecord(record, std::string())));
        }
    }
    return copy;
}

// Brings the copy up to the file on disk.
void LoadSnapshot() {
    const std::string path = SnapshotPath();
    FileStamp stamp;
    const bool there = ReadFileStamp(path, stamp);
    if (there && g_snapshot.valid && g_snapshot.path == path && g_snapshot.stamp == stamp) {
        return;
    }
    g_snapshot = SnapshotCopy();
    std::string text;
    if (!there || ReadProfileFile(path, text) != FileRead::Whole) {
        return; // no snapshot now; looked for again on every call
    }
    g_snapshot = SnapshotOfText(text);
    g_snapshot.valid = true;
    g_snapshot.path = path;
    g_snapshot.stamp = stamp;
}

// Writes the copy, changed by one of the program's own moves, as the whole
// new report.ini. A snapshot that could not learn of the move would blame it
// on another program at the next start, so then it goes.
bool StoreMove() {
    const std::string path = SnapshotPath();
    if (ReplaceFileWhole(path, SnapshotText(g_snapshot.records), true) &&
        ReadFileStamp(path, g_snapshot.stamp)) {
        return true;
    }
    DeleteFileA(path.c_str());
    g_snapshot = SnapshotCopy();
    return false;
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
                              const std::vector<StartupEntry>& current,
                              const std::vector<StartupEntry>& disabled) {
    // Matching is an equivalence of the three texts, so grouping the entries
    // by it gives exactly the pairs that comparing every pair would give. A
    // task is its location and name: its command follows its app's updates
    // (a packaged app's folder names its version), so it is not compared.
    struct LooseHash {
        std::size_t operator()(const StartupEntry* entry) const {
            return static_cast<std::size_t>(
                TextsHash(*entry, true, !IsTaskLocation(entry->location)));
        }
    };
    struct LooseEqual {
        bool operator()(const StartupEntry* a, const StartupEntry* b) const {
            return CompareTextNoCase(a->title, b->title) == 0 &&
                   CompareTextNoCase(a->location, b->location) == 0 &&
                   (IsTaskLocation(a->location) ||
                    CompareTextNoCase(a->command, b->command) == 0);
        }
    };
    using EntrySet = std::unordered_set<const StartupEntry*, LooseHash, LooseEqual>;
    EntrySet previousSet;
    for (const StartupEntry& entry : previous) {
        previousSet.insert(&entry);
    }
    EntrySet laterSet; // the new set and the disabled entries
    for (const std::vector<StartupEntry>* later : {&current, &disabled}) {
        for (const StartupEntry& entry : *later) {
            laterSet.insert(&entry);
        }
    }
    EntryChanges changes;
    for (std::size_t i = 0; i < current.size(); ++i) {
        if (previousSet.count(&current[i]) == 0) {
            changes.added.push_back(i);
        }
    }
    for (std::size_t i = 0; i < previous.size(); ++i) {
        if (laterSet.count(&previous[i]) == 0) {
            changes.vanished.push_back(i);
        }
    }
    return changes;
}

bool ChangeSnapshotIsWhole() {
    LoadSnapshot();
    return g_snapshot.whole;
}

bool ChangeCheckWatches(bool inLocation, bool switchedOff, bool task) {
    return inLocation && !(task && switchedOff);
}

bool WriteChangeSnapshot(const std::vector<StartupEntry>& entries, bool checkedOnly) {
    // Written straight from the entries: the copy in memory is made again
    // when a move needs it, as a refresh of a long list would keep a second
    // copy of every enabled entry for moves that may never come.
    std::vector<ProfileRecord> records;
    records.reserve(entries.size());
    for (const StartupEntry& entry : entries) {
        if ((!checkedOnly || ChangeCheckWatches(entry.checked, entry.switchedOff,
                                                IsTaskLocation(entry.location))) &&
            !entry.location.empty()) {
            records.push_back(SnapshotRecordFields(entry));
        }
    }
    g_snapshot = SnapshotCopy();
    return ReplaceFileWhole(SnapshotPath(), RecordFileText(std::string(), records, false, false),
                            true);
}

std::vector<StartupEntry> ReadChangeSnapshot() {
    LoadSnapshot();
    return EntriesOf(g_snapshot.records);
}

std::string ReadChangeSnapshotText() {
    std::string text;
    ReadProfileFile(SnapshotPath(), text);
    return text;
}

std::vector<StartupEntry> ChangeSnapshotEntries(const std::string& text) {
    return EntriesOf(SnapshotOfText(text).records);
}

bool SnapshotAddEntry(const StartupEntry& entry) {
    LoadSnapshot();
    if (!g_snapshot.whole || entry.location.empty()) {
        return true;
    }
    g_snapshot.records.push_back(SnapshotRecordOf(entry));
    return StoreMove();
}

bool SnapshotRemoveEntry(const StartupEntry& entry) {
    LoadSnapshot();
    if (!g_snapshot.whole) {
        return true;
    }
    std::vector<SnapshotRecord>& records = g_snapshot.records;
    const std::size_t found = FindRecord(records, entry);
    if (found == records.size()) {
        return true;
    }
    records.erase(records.begin() + static_cast<std::ptrdiff_t>(found));
    return StoreMove();
}

} // namespace kv

namespace kv {

bool SnapshotMoveEntries(const std::vector<StartupEntry>& removed,
                         const std::vector<StartupEntry>& added) {
    LoadSnapshot();
    if (!g_snapshot.whole || (removed.empty() && added.empty())) {
        return true;
    }
    // The records of the removed entries are marked first and taken out in
    // one pass: erasing them one by one would move the rest each time.
    std::vector<SnapshotRecord>& records = g_snapshot.records;
    std::vector<bool> taken(records.size(), false);
    if (!removed.empty()) {
        const RecordIndex index(records);
        for (const StartupEntry& entry : removed) {
            const std::size_t found = index.Find(records, entry, taken);
            if (found < records.size()) {
                taken[found] = true;
            }
        }
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (!taken[i]) {
            if (kept != i) {
                records[kept] = std::move(records[i]);
            }
            ++kept;
        }
    }
    records.resize(kept);
    for (const StartupEntry& entry : added) {
        if (!entry.location.empty()) {
            records.push_back(SnapshotRecordOf(entry));
        }
    }
    return StoreMove();
}

} // namespace kv
