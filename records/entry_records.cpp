#include "records/entry_records.h"

#include "base/handles.h"

#include "base/text.h"
#include "entries/catalogue.h"
#include "records/profile_text.h"

#include <windows.h>

#include <unordered_map>
#include <unordered_set>

namespace kv {

namespace {

// The three texts as one key, equal only for equal texts: the lengths keep
// "a|bc" and "ab|c" apart.
std::string TextsKey(const StartupEntry& entry) {
    std::string key = std::to_string(entry.title.size());
    key.reserve(key.size() + entry.title.size() + entry.command.size() + entry.location.size() +
                24);
    key += ':';
    key += entry.title;
    key += std::to_string(entry.command.size());
    key += ':';
    key += entry.command;
    key += entry.location;
    return key;
}

// True when a value's bytes, read as text up to the first zero byte, are the
// command: the command shown for a value is that text.
bool ValueBytesAgree(const std::string& bytes, const std::string& command) {
    return bytes.compare(0, bytes.find('\0'), command) == 0;
}

// The wide text reads as this text in the code page, as the list shows it.
bool NarrowsTo(const std::wstring& wide, const std::string& text) {
    std::string shown;
    NarrowExactly(wide, shown);
    return shown == text;
}

// Wide bytes agree with the command when their text, up to its first zero,
// reads as the command in the code page.
bool WideBytesAgree(const std::string& bytes, const std::string& command) {
    std::wstring text = WideOfBytes(bytes);
    text = text.substr(0, text.find(L'\0'));
    std::string shown;
    NarrowExactly(text, shown);
    return shown == command;
}

// The seconds of a "delay" key: plain digits, from 1 to kMaxDelaySeconds;
// 0 for anything else, which leaves the entry a plain disabled one rather
// than starting it at a time nobody chose.
int DelayOfText(const std::string& text) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) {
        return 0;
    }
    const long value = std::stol(text);
    return value >= 1 && value <= kMaxDelaySeconds ? static_cast<int>(value) : 0;
}

} // namespace

bool KeptNameBelongsTo(const std::string& name, const std::string& entryTitle) {
    // Copies are kept under a name a file may have.
    const std::string title = FileNameSafe(entryTitle);
    if (name == title) {
        return true;
    }
    // "name (n).ext" for the n-th copy of "name.ext", n from 2 on, as the
    // kept-files folder names the copies of equal names.
    const std::string::size_type dot = title.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot != 0;
    const std::string stem = hasExtension ? title.substr(0, dot) : title;
    const std::string extension = hasExtension ? title.substr(dot) : std::string();
    const std::string open = stem + " (";
    const std::string close = ")" + extension;
    if (name.size() <= open.size() + close.size() || name.compare(0, open.size(), open) != 0 ||
        name.compare(name.size() - close.size(), close.size(), close) != 0) {
        return false;
    }
    const std::string number = name.substr(open.size(), name.size() - open.size() - close.size());
    return number.size() <= 9 && number[0] != '0' &&
           number.find_first_not_of("0123456789") == std::string::npos && number != "1";
}

ProfileRecord RecordOfEntry(const StartupEntry& entry) {
    ProfileRecord record;
    record.title = entry.title;
    record.command = entry.command;
    record.location = entry.location;
    const KeptForm& form = entry.kept;
    if (form.hasValue) {
        // A value named exactly beside its title always says its type: it
        // comes back only by its exact name, which needs what it holds.
        // REG_SZ without "data" reads, in older copies too, as the command.
        if (form.valueType != REG_SZ || !entry.exactName.empty()) {
            record.extra["type"] = std::to_string(form.valueType);
        }
        if (form.valueBytes != entry.command + '\0') {
            record.extra["data"] = HexEncode(form.valueBytes);
        }
    }
    if (form.hasValue && form.wide) {
        record.extra["wide"] = "1";
        record.extra["data"] = HexEncode(form.valueBytes);
    }
    if (!form.file.empty()) {
        record.extra["link"] = AfterLastBackslash(form.file);
    }
    // The exact name, in UTF-16, when the code page cannot carry it.
    if (!entry.exactName.empty()) {
        record.extra["name.w"] = HexEncode(BytesOfWide(entry.exactName));
    }
    if (entry.delaySeconds > 0) {
        record.extra["delay"] = std::to_string(entry.delaySeconds);
    }
    return record;
}

StartupEntry EntryOfRecord(const ProfileRecord& record, const std::string& keptFolder) {
    StartupEntry entry;
    entry.title = record.title;
    entry.command = record.command;
    entry.location = record.location;
    entry.checked = false;
    // What a record keeps counts only where it agrees with the record's own
    // texts: a file rewritten key by key by another program may have left an
    // older record's keys under this one. Else the texts alone are used.
    KeptForm& form = entry.kept;
    const auto type = record.extra.find("type");
    const auto data = record.extra.find("data");
    std::string bytes;
    const bool hasData = data != record.extra.end();
    const auto wide = record.extra.find("wide");
    const bool wideData = wide != record.extra.end() && ProfileInteger(wide->second) != 0;
    const bool dataAgrees =
        hasData && HexDecode(data->second, bytes) &&
        (wideData ? WideBytesAgree(bytes, record.command) : ValueBytesAgree(bytes, record.command));
    if (dataAgrees) {
        form.hasValue = true;
        form.wide = wideData;
        form.valueBytes = bytes;
    }
    if (type != record.extra.end() && (dataAgrees || !hasData)) {
        const long long value = ProfileInteger(type->second);
        if (value >= 0 && value <= 0xFFFFFFFFLL) {
            form.hasValue = true;
            form.valueType = static_cast<unsigned long>(value);
            if (!hasData) {
                form.valueBytes = record.command + '\0';
            }
        }
    }
    // The exact name counts where it reads as the title in the code page.
    const auto name = record.extra.find("name.w");
    std::string nameBytes;
    if (name != record.extra.end() && HexDecode(name->second, nameBytes) &&
        nameBytes.size() % 2 == 0 && !nameBytes.empty() &&
        NarrowsTo(WideOfBytes(nameBytes), record.title)) {
        entry.exactName = WideOfBytes(nameBytes);
    }
    const auto link = record.extra.find("link");
    if (link != record.extra.end() && IsPlainFileName(link->second) &&
        KeptNameBelongsTo(link->second, record.title)) {
        form.file = keptFolder + "\\" + link->second;
    }
    const auto delay = record.extra.find("delay");
    if (delay != record.extra.end()) {
        entry.delaySeconds = DelayOfText(delay->second);
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

std::vector<StartupEntry> WithKeptForms(std::vector<StartupEntry> rows,
                                        const std::vector<StartupEntry>& stored,
                                        const std::vector<StartupEntry>& storedAfter) {
    std::vector<const StartupEntry*> sources;
    sources.reserve(stored.size() + storedAfter.size());
    for (const std::vector<StartupEntry>* source : {&stored, &storedAfter}) {
        for (const StartupEntry& entry : *source) {
            sources.push_back(&entry);
        }
    }
    // The usual case: the stored entries stand in the rows' order, one for
    // one. Each row then takes the entry at its own place, which is the first
    // untaken one of its texts, as below.
    bool aligned = rows.size() == sources.size();
    for (std::size_t i = 0; aligned && i < rows.size(); ++i) {
        aligned = SameTexts(rows[i], *sources[i]);
    }
    if (aligned) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i].kept = sources[i]->kept;
            rows[i].delaySeconds = sources[i]->delaySeconds;
        }
        return rows;
    }
    // The stored entries of each set of texts, in store order.
    struct Untaken {
        std::vector<const StartupEntry*> entries;
        std::size_t next = 0;
    };
    std::unordered_map<std::string, Untaken> byTexts;
    byTexts.reserve(sources.size());
    for (const StartupEntry* source : sources) {
        byTexts[TextsKey(*source)].entries.push_back(source);
    }
    for (StartupEntry& row : rows) {
        row.kept = KeptForm();
        row.delaySeconds = 0;
        const auto found = byTexts.find(TextsKey(row));
        if (found != byTexts.end() && found->second.next < found->second.entries.size()) {
            const StartupEntry& source = *found->second.entries[found->second.next++];
            row.kept = source.kept;
            row.delaySeconds = source.delaySeconds;
        }
    }
    return rows;
}

} // namespace kv
