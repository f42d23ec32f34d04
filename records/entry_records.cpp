#include "records/entry_records.h"

#include "entries/catalogue.h"
#include "entries/text.h"
#include "records/profile_text.h"

#include <windows.h>

#include <deque>
#include <map>
#include <unordered_set>

namespace kv {

namespace {

// The three texts as one key; the lengths keep "a|bc" and "ab|c" apart.
std::string TextsKey(const StartupEntry& entry) {
    return std::to_string(entry.title.size()) + ":" + entry.title +
           std::to_string(entry.command.size()) + ":" + entry.command + entry.location;
}

} // namespace

ProfileRecord RecordOfEntry(const StartupEntry& entry) {
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

StartupEntry EntryOfRecord(const ProfileRecord& record, const std::string& keptFolder) {
    StartupEntry entry;
    entry.title = record.title;
    entry.command = record.command;
    entry.location = record.location;
    entry.checked = false;
    KeptForm& form = entry.kept;
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
    return entry;
}

bool SameTexts(const StartupEntry& a, const StartupEntry& b) {
    return a.title == b.title && a.command == b.command && a.location == b.location;
}

std::vector<bool> TextsFoundIn(const std::vector<StartupEntry>& entries,
                               const std::vector<StartupEntry>& others) {
    std::vector<bool> found(entries.size(), false);
    if (entries.empty()) {
        return found;
    }
    std::unordered_set<std::string> keys;
    for (const StartupEntry& entry : entries) {
        keys.insert(TextsKey(entry));
    }
    std::unordered_set<std::string> othersHave;
    for (const StartupEntry& other : others) {
        std::string key = TextsKey(other);
        if (keys.count(key) != 0) {
            othersHave.insert(std::move(key));
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        found[i] = othersHave.count(TextsKey(entries[i])) != 0;
    }
    return found;
}

std::vector<StartupEntry> WithKeptForms(const std::vector<StartupEntry>& rows,
                                        const std::vector<StartupEntry>& stored) {
    std::vector<StartupEntry> result = rows;
    // The usual case: the stored entries stand in the rows' order, one for
    // one. Each row then takes the entry at its own place, which is the first
    // untaken one of its texts, as below.
    bool aligned = rows.size() == stored.size();
    for (std::size_t i = 0; aligned && i < rows.size(); ++i) {
        aligned = SameTexts(rows[i], stored[i]);
    }
    if (aligned) {
        for (std::size_t i = 0; i < result.size(); ++i) {
            result[i].kept = stored[i].kept;
        }
        return result;
    }
    // The stored entries of each set of texts, in store order.
    std::map<std::string, std::deque<std::size_t>> byTexts;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        byTexts[TextsKey(stored[i])].push_back(i);
    }
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

} // namespace kv
