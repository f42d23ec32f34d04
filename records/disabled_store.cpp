#include "records/disabled_store.h"

#include "base/text.h"
#include "entries/catalogue.h"
#include "records/entry_records.h"
#include "records/file_stamp.h"
#include "records/profile_records.h"
#include "records/user_data_folder.h"

#include <windows.h>

#include <algorithm>

namespace kv {

namespace {

std::string StorePath() {
    return UserDataFilePath(UserDataFile::DisabledStore);
}

std::string KeptFilesFolderPath() {
    return UserDataFolderPath() + "\\disabled";
}

// The store as it was last read or written, with the file's size and time
// then: while the file on disk has them still, reading it again would give
// the same entries. Every enable and disable reads and rewrites the store,
// so this saves a read of the whole file on each.
struct StoreCopy {
    std::string path;
    FileStamp stamp;
    std::string text;
    std::vector<StartupEntry> entries;
    bool valid = false;
    // Set when the text is this program's own last write, with one record
    // per entry in "object 1".."object N" right after "common": the sections
    // of the text then let the next write take over the unchanged records.
    // A whole write of the store leaves that to be found out when first
    // asked (`ownToCheck`): a bulk change need not read its text again.
    bool own = false;
    bool ownToCheck = false;
    std::vector<ProfileTextSection> sections;
};

StoreCopy g_copy;

// How the store at `path` was last read or written: a store that could not be
// read whole (too large, or unreadable) is not written again until it has
// been read whole, since the entries a caller gives for it were made without
// the records it could not read, which a rewrite would lose.
struct StoreRead {
    std::string path;
    FileRead outcome = FileRead::Missing;
};

StoreRead g_read;

void NoteRead(const std::string& path, FileRead outcome) {
    g_read.path = path;
    g_read.outcome = outcome;
}

bool ReadFailed(FileRead outcome) {
    return outcome == FileRead::TooLarge || outcome == FileRead::Unreadable;
}

// False while the last reading of the store failed.
bool MayBeWritten(const std::string& path) {
    return !(g_read.path == path && ReadFailed(g_read.outcome));
}

// Set when the last change of the store was refused because its new text
// would be larger than a reading takes whole.
bool g_refusedAsTooLarge = false;

// Writes the store's new text in place of the old, unless it is larger than
// a reading of the store takes whole: written, it could not be read back, and
// every later change would be refused. The file is then left as it is.
bool ReplaceStoreText(const std::string& path, const std::string& text) {
    if (text.size() > kMaxStoredFileSize) {
        g_refusedAsTooLarge = true;
        return false;
    }
    return ReplaceFileWhole(path, text, true);
}

bool CopyIsCurrent(const std::string& path) {
    FileStamp stamp;
    return g_copy.valid && g_copy.path == path && ReadFileStamp(path, stamp) &&
           stamp == g_copy.stamp;
}

void RememberCopy(const std::string& path, std::string text, std::vector<StartupEntry> entries) {
    g_copy.valid = ReadFileStamp(path, g_copy.stamp);
    g_copy.path = path;
    g_copy.text = std::move(text);
    g_copy.entries = std::move(entries);
    g_copy.own = false;
    g_copy.ownToCheck = false;
    g_copy.sections.clear();
}

// Whether the copy is the program's own write whose records are the entries
// one for one; found out from its text the first time it is asked after a
// whole write.
bool CopyIsOwn() {
    if (g_copy.ownToCheck) {
        g_copy.ownToCheck = false;
        std::vector<ProfileTextSection> sections = ProfileTextSections(g_copy.text);
        bool own =
            g_copy.valid && sections.size() > g_copy.entries.size() && sections[0].name == "common";
        for (std::size_t k = 1; own && k <= g_copy.entries.size(); ++k) {
            own = sections[k].number == static_cast<long long>(k);
        }
        g_copy.own = own;
        g_copy.sections = own ? std::move(sections) : std::vector<ProfileTextSection>();
    }
    return g_copy.own;
}

// The store's new text when the record `added` is put in at `index`, or the
// one at `index` is taken out (`added` null), made from the copy's own text:
// the records that stay are taken over as they stand, renumbered, and the
// other sections are kept as a rewrite keeps them. `sections` learns the new
// text's sections.
std::string ChangedStoreText(std::size_t index, const ProfileRecord* added,
                             std::vector<ProfileTextSection>& sections) {
    const std::string& old = g_copy.text;
    const std::size_t total =
        added != nullptr ? g_copy.entries.size() + 1 : g_copy.entries.size() - 1;
    std::string text;
    text.reserve(old.size() + 4096);
    sections.clear();
    const auto open = [&](const std::string& name, long long number) {
        ProfileTextSection section;
        section.name = name;
        section.number = number;
        section.begin = text.size();
        sections.push_back(section);
    };
    const auto close = [&]() { sections.back().end = text.size(); };
    open("common", 0);
    text += "[common]\r\n";
    sections.back().bodyBegin = text.size();
    text += "total=" + std::to_string(total) + "\r\n";
    close();
    for (std::size_t k = 0; k < total; ++k) {
        const std::string name = "object " + std::to_string(k + 1);
        open(name, static_cast<long long>(k + 1));
        text += "[";
        text += name;
        text += "]\r\n";
        sections.back().bodyBegin = text.size();
        if (added != nullptr && k == index) {
            AppendRecordBody(text, *added, false);
        } else {
            const std::size_t from =
                added != nullptr ? (k < index ? k : k - 1) : (k < index ? k : k + 1);
            const ProfileTextSection& record = g_copy.sections[from + 1];
            text.append(old, record.bodyBegin, record.end - record.bodyBegin);
        }
        close();
    }
    for (const ProfileTextSection& section : g_copy.sections) {
        const bool rewritten =
            section.name == "common" ||
            (section.number >= 1 && static_cast<unsigned long long>(section.number) <= total);
        if (!rewritten) {
            open(section.name, section.number);
            const std::size_t begin = text.size();
            AppendSectionLines(text, old, section);
            sections.back().bodyBegin = begin + (section.bodyBegin - section.begin);
            close();
        }
    }
    return text;
}

// Puts in or takes out one entry of the store. The copy's own text is the
// base when the file on disk is still that text; else the whole store is
// read and written.
bool ChangeOneEntry(std::size_t index, const StartupEntry* added) {
    const std::string path = StorePath();
    const std::size_t count = g_copy.entries.size();
    const bool fits = added != nullptr ? index <= count && !added->location.empty() : index < count;
    if (!(CopyIsCurrent(path) && CopyIsOwn() && fits)) {
        std::vector<StartupEntry> entries = ReadDisabledEntries();
        if (added != nullptr) {
            entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(
                                                 index < entries.size() ? index : entries.size()),
                           *added);
        } else if (index < entries.size()) {
            entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
        }
        return WriteDisabledStore(entries);
    }
    const ProfileRecord record = added != nullptr ? RecordOfEntry(*added) : ProfileRecord();
    std::vector<ProfileTextSection> sections;
    std::string text = ChangedStoreText(index, added != nullptr ? &record : nullptr, sections);
    if (!ReplaceStoreText(path, text)) {
        // A text refused for its size left the file, and the copy, as they were.
        if (!g_refusedAsTooLarge) {
            g_copy.valid = false;
        }
        return false;
    }
    std::vector<StartupEntry> entries = std::move(g_copy.entries);
    if (added != nullptr) {
        // As a reader of the new file finds it.
        entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(index),
                       EntryOfRecord(record, KeptFilesFolderPath()));
    } else {
        entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
    }
    RememberCopy(path, std::move(text), std::move(entries));
    g_copy.own = g_copy.valid;
    g_copy.sections = std::move(sections);
    return true;
}

std::vector<StartupEntry> EntriesOfText(const std::string& text, const std::string& keptFolder) {
    std::vector<StartupEntry> entries;
    for (const ProfileRecord& record : RecordsOfText(text, false).records) {
        if (record.whole && !record.location.empty()) {
            entries.push_back(EntryOfRecord(record, keptFolder));
        }
    }
    return entries;
}

} // namespace

const std::vector<StartupEntry>& CurrentDisabledEntries() {
    const std::string path = StorePath();
    if (CopyIsCurrent(path)) {
        return g_copy.entries;
    }
    std::string text;
    const FileRead read = ReadProfileFile(path, text);
    NoteRead(path, read);
    if (read != FileRead::Whole) {
        RememberCopy(std::string(), std::string(), std::vector<StartupEntry>());
        g_copy.valid = false;
        return g_copy.entries;
    }
    std::vector<StartupEntry> entries = EntriesOfText(text, KeptFilesFolderPath());
    RememberCopy(path, std::move(text), std::move(entries));
    return g_copy.entries;
}

std::vector<StartupEntry> ReadDisabledEntries() {
    return CurrentDisabledEntries();
}

FileRead DisabledStoreRead() {
    const std::string path = StorePath();
    return g_read.path == path ? g_read.outcome : FileRead::Missing;
}

bool DisabledStoreMayChange() {
    return MayBeWritten(StorePath());
}

bool DisabledStoreIsOwnWrite() {
    return CopyIsCurrent(StorePath()) && CopyIsOwn();
}

std::vector<StartupEntry> ReadDisabledStore() {
    return ReadDisabledStoreBeside(std::vector<StartupEntry>(), false);
}

std::vector<StartupEntry> ReadDisabledStoreBeside(const std::vector<StartupEntry>& active,
                                                  bool dropRecords) {
    std::vector<StartupEntry> entries = ReadDisabledEntries();
    const std::vector<bool> alsoActive = TextsFoundIn(entries, active);
    std::vector<StartupEntry> disabled;
    std::vector<std::string> droppedFiles;
    disabled.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (alsoActive[i]) {
            droppedFiles.push_back(entries[i].kept.file);
        } else {
            disabled.push_back(std::move(entries[i]));
        }
    }
    if (dropRecords && !droppedFiles.empty() && WriteDisabledStore(disabled)) {
        for (const std::string& file : droppedFiles) {
            const bool stillKept =
                std::any_of(disabled.begin(), disabled.end(),
                            [&file](const StartupEntry& entry) { return entry.kept.file == file; });
            if (!stillKept) {
                DiscardKeptFile(file);
            }
        }
    }
    for (StartupEntry& entry : disabled) {
        entry.icon = kIconOfCommand;
    }
    return disabled;
}

bool WriteDisabledStore(const std::vector<StartupEntry>& disabled) {
    g_refusedAsTooLarge = false;
    std::vector<ProfileRecord> records;
    records.reserve(disabled.size());
    for (const StartupEntry& entry : disabled) {
        records.push_back(RecordOfEntry(entry));
    }
    const std::string path = StorePath();
    if (!MayBeWritten(path)) {
        return false;
    }
    std::string readText;
    const std::string* oldText = &readText;
    if (CopyIsCurrent(path)) {
        oldText = &g_copy.text;
    } else {
        const FileRead read = ReadProfileFile(path, readText);
        if (ReadFailed(read)) {
            NoteRead(path, read);
            return false;
        }
    }
    std::string text = RecordFileText(*oldText, records, false, true);
    if (!ReplaceStoreText(path, text)) {
        if (!g_refusedAsTooLarge) {
            g_copy.valid = false;
        }
        return false;
    }
    NoteRead(path, FileRead::Whole);
    // What a reader of the new file finds.
    const std::string keptFolder = KeptFilesFolderPath();
    std::vector<StartupEntry> written;
    written.reserve(records.size());
    for (const ProfileRecord& record : records) {
        if (!record.location.empty()) {
            written.push_back(EntryOfRecord(record, keptFolder));
        }
    }
    const bool oneForOne = written.size() == records.size();
    RememberCopy(path, std::move(text), std::move(written));
    g_copy.ownToCheck = oneForOne;
    return true;
}

bool InsertDisabledEntry(std::size_t index, const StartupEntry& entry) {
    g_refusedAsTooLarge = false;
    return ChangeOneEntry(index, &entry);
}

bool EraseDisabledEntry(std::size_t index) {
    g_refusedAsTooLarge = false;
    return ChangeOneEntry(index, nullptr);
}

bool DisabledStoreRefusedAsTooLarge() {
    return g_refusedAsTooLarge;
}

bool UpdateDisabledRecord(const std::string& oldTitle, const std::string& oldCommand,
                          const std::string& oldLocation, const std::string& newTitle,
                          const std::string& newCommand, const std::string& newLocation) {
    g_refusedAsTooLarge = false;
    const std::string path = StorePath();
    std::string oldText;
    const FileRead read = ReadProfileFile(path, oldText);
    NoteRead(path, read);
    if (ReadFailed(read)) {
        return false;
    }
    std::vector<ProfileRecord> records = RecordsOfText(oldText, false).records;
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
    // A delayed entry stays delayed: its delay belongs to the entry, not to
    // its old texts.
    const auto delay = match->extra.find("delay");
    const std::string keptDelay = delay != match->extra.end() ? delay->second : std::string();
    match->extra.clear();
    if (!keptDelay.empty()) {
        match->extra["delay"] = keptDelay;
    }
    return ReplaceStoreText(path, RecordFileText(oldText, records, false, true));
}

std::string KeptFilesFolder() {
    const std::string folder = KeptFilesFolderPath();
    if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    return folder;
}

std::string UnusedFilePath(const std::string& folder, const std::string& name) {
    const std::string fileName = FileNameSafe(name);
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

std::string NewKeptFilePath(const std::string& fileName) {
    return UnusedFilePath(KeptFilesFolder(), fileName);
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
