#include "records/profile_records.h"

#include "base/handles.h"
#include "base/text.h"
#include "records/profile_text.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace kv {

namespace {

const char* const kTextKeys[3] = {"title", "command", "location"};

std::string* TextOf(ProfileRecord& record, int field) {
    return field == 0 ? &record.title : (field == 1 ? &record.command : &record.location);
}

const std::string& TextOf(const ProfileRecord& record, int field) {
    return field == 0 ? record.title : (field == 1 ? record.command : record.location);
}

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Texts a profile value cannot carry as they are.
bool NeedsExactCopy(const std::string& text) {
    return text.empty() || text.find_first_of("\r\n") != std::string::npos;
}

// A text as its own key carries it: line breaks shown as blanks.
std::string ReadableText(const std::string& text) {
    std::string readable = text;
    for (char& c : readable) {
        if (IsLineBreak(c)) {
            c = ' ';
        }
    }
    return readable;
}

// The record number of a section named "object k", k written without
// leading zeros; 0 for any other name.
long long RecordNumber(const std::string& sectionName) {
    const std::string name = LowerAscii(sectionName);
    if (name.compare(0, 7, "object ") != 0 || name.size() == 7 || name.size() > 7 + 18 ||
        name[7] == '0' || name.find_first_not_of("0123456789", 7) != std::string::npos) {
        return 0;
    }
    return std::strtoll(name.c_str() + 7, nullptr, 10);
}

ProfileRecord RecordFromSection(const ProfileSection& section, long long number, bool withState) {
    ProfileRecord record;
    record.number = number;
    record.whole = true;
    for (int field = 0; field < 3; ++field) {
        std::string* text = TextOf(record, field);
        const bool hasText = FindProfileValue(section, kTextKeys[field], *text);
        // The exact text counts only where it agrees with the readable one
        // beside it: a file rewritten key by key by another program may have
        // left an older record's ".hex" key under this record.
        std::string hex;
        std::string exact;
        const bool isExact =
            hasText && FindProfileValue(section, std::string(kTextKeys[field]) + ".hex", hex) &&
            HexDecode(hex, exact) && ReadableText(exact) == *text;
        if (isExact) {
            *text = exact;
        } else if (text->empty()) {
            record.whole = false;
        }
    }
    for (const ProfileKey& key : section.keys) {
        const std::string name = LowerAscii(key.name);
        if (!key.hasValue || record.extra.count(name) != 0) {
            continue;
        }
        bool isText = name == "state";
        for (const char* textKey : kTextKeys) {
            isText = isText || name == textKey || name == std::string(textKey) + ".hex";
        }
        if (!isText) {
            FindProfileValue(section, name, record.extra[name]);
        }
    }
    if (withState) {
        record.hasState = true;
        std::string state;
        record.state =
            FindProfileValue(section, "state", state) && ProfileInteger(state) != 0 ? 1 : 0;
    }
    return record;
}

} // namespace

FileRead ReadProfileFile(const std::string& path, std::string& text) {
    text.clear();
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? FileRead::Missing
                   : FileRead::Unreadable;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return FileRead::Unreadable;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxStoredFileSize) {
        return FileRead::TooLarge;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    // Read to the end, which may lie elsewhere than the size said if the file
    // changes meanwhile; a failed read leaves the file unread, never half read.
    std::vector<char> chunk(65536);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) {
            return FileRead::Unreadable;
        }
        if (got == 0) {
            break;
        }
        if (bytes.size() + got > kMaxStoredFileSize) {
            return FileRead::TooLarge;
        }
        bytes.append(chunk.data(), got);
    }
    // A byte-order mark says the file is not in the system code page.
    UINT codePage = 0;
    std::wstring wide;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        codePage = CP_UTF8;
        bytes.erase(0, 3);
    } else if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        wide.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    } else {
        text.swap(bytes);
        return FileRead::Whole;
    }
    if (codePage == CP_UTF8 && !bytes.empty()) {
        const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(),
                                               static_cast<int>(bytes.size()), nullptr, 0);
        wide.assign(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
        if (length > 0) {
            MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0],
                                length);
        }
    }
    text = Narrow(wide);
    return FileRead::Whole;
}

RecordFile ReadRecordFile(const std::string& path, bool withState) {
    std::string text;
    const FileRead read = ReadProfileFile(path, text);
    if (read != FileRead::Whole) {
        RecordFile file;
        file.read = read;
        return file;
    }
    return RecordsOfText(text, withState);
}

RecordFile RecordsOfText(const std::string& text, bool withState) {
    RecordFile file;
    file.read = FileRead::Whole;
    file.exists = true;
    const std::vector<ProfileSection> sections = ParseProfileText(text);
    const ProfileSection* common = FindProfileSection(sections, "common");
    std::string total;
    if (common != nullptr && FindProfileValue(*common, "total", total)) {
        // The profile functions read an integer from its first 19 characters.
        const long long claimed = ProfileInteger(total.substr(0, 19));
        file.total = claimed > 0 ? claimed : 0;
    }
    // One pass over the sections: the first section of each number wins.
    std::map<long long, const ProfileSection*> numbered;
    for (const ProfileSection& section : sections) {
        const long long number = RecordNumber(section.name);
        if (number >= 1 && number <= file.total && numbered.count(number) == 0) {
            numbered[number] = &section;
        }
    }
    for (const auto& entry : numbered) {
        file.records.push_back(RecordFromSection(*entry.second, entry.first, withState));
    }
    return file;
}

std::vector<ProfileRecord> ReadProfileRecords(const std::string& path, bool withState) {
    return ReadRecordFile(path, withState).records;
}

std::string QuoteForProfile(const std::string& value) {
    const bool needs =
        !value.empty() && (value[0] == '"' || value[0] == '\'' || IsProfileBlank(value[0]) ||
                           IsProfileBlank(value[value.size() - 1]));
    return needs ? "\"" + value + "\"" : value;
}

namespace {

// Lower-cased section name of a "[name]" line as the profile reader takes
// it; false for other lines.
bool SectionName(const std::string& line, std::string& name) {
    const std::string::size_type open = line.find_first_not_of(" \t");
    if (open == std::string::npos || line[open] != '[') {
        return false;
    }
    const std::string::size_type close = line.rfind(']');
    if (close == std::string::npos || close < open) {
        return false;
    }
    std::string raw = line.substr(open + 1, close - open - 1);
    while (!raw.empty() && IsProfileBlank(raw.back())) {
        raw.pop_back();
    }
    const std::string::size_type first = raw.find_first_not_of(" \t");
    name = first == std::string::npos ? std::string() : LowerAscii(raw.substr(first));
    return true;
}

// True for "common" and "object k" with k from 1 to total.
bool IsRewrittenSection(const std::string& name, std::size_t total) {
    if (name == "common") {
        return true;
    }
    const long long number = RecordNumber(name);
    return number >= 1 && static_cast<unsigned long long>(number) <= total;
}

bool NeedsQuotes(const std::string& value) {
    return !value.empty() && (value[0] == '"' || value[0] == '\'' || IsProfileBlank(value[0]) ||
                              IsProfileBlank(value[value.size() - 1]));
}

void AppendKey(std::string& text, const std::string& key, const std::string& value) {
    text += key;
    text += '=';
    if (NeedsQuotes(value)) {
        text += '"';
        text += value;
        text += '"';
    } else {
        text += value;
    }
    text += "\r\n";
}

void AppendText(std::string& text, const char* key, const std::string& value) {
    if (!NeedsExactCopy(value)) {
        AppendKey(text, key, value);
        return;
    }
    AppendKey(text, key, ReadableText(value));
    text += key;
    text += ".hex=";
    text += HexEncode(value);
    text += "\r\n";
}

} // namespace

std::string RecordFileText(const std::string& oldText, const std::vector<ProfileRecord>& records,
                           bool withState, bool keepOthers) {
    std::size_t size = oldText.size() + 64;
    for (const ProfileRecord& record : records) {
        size += record.title.size() + record.command.size() + record.location.size() + 64;
    }
    std::string text;
    text.reserve(size);
    text += "[common]\r\ntotal=";
    text += std::to_string(records.size());
    text += "\r\n";
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ProfileRecord& record = records[i];
        text += "[object ";
        text += std::to_string(i + 1);
        text += "]\r\n";
        AppendRecordBody(text, record, withState);
    }
    if (!keepOthers) {
        return text;
    }
    // Keep every other section, line for line: only the lines that open a
    // section are looked at closely.
    for (const ProfileTextSection& section : ProfileTextSections(oldText)) {
        if (!IsRewrittenSection(section.name, records.size())) {
            AppendSectionLines(text, oldText, section);
        }
    }
    return text;
}

std::vector<ProfileTextSection> ProfileTextSections(const std::string& text) {
    std::vector<ProfileTextSection> sections;
    std::string::size_type pos = 0;
    while (pos < text.size()) {
        const std::string::size_type end = text.find('\n', pos);
        const std::string::size_type next = end == std::string::npos ? text.size() : end + 1;
        std::string::size_type length = next - pos;
        while (length > 0 && IsLineBreak(text[pos + length - 1])) {
            --length;
        }
        const std::string::size_type first = text.find_first_not_of(" \t", pos);
        std::string name;
        if (first < pos + length && text[first] == '[' &&
            SectionName(text.substr(pos, length), name)) {
            ProfileTextSection section;
            section.name = name;
            section.number = RecordNumber(name);
            section.begin = pos;
            section.bodyBegin = next;
            sections.push_back(section);
        }
        if (!sections.empty()) {
            sections.back().end = next;
        }
        pos = next;
    }
    return sections;
}

void AppendSectionLines(std::string& text, const std::string& from,
                        const ProfileTextSection& section) {
    std::string::size_type pos = section.begin;
    while (pos < section.end) {
        const std::string::size_type end = from.find('\n', pos);
        const std::string::size_type next =
            end == std::string::npos || end >= section.end ? section.end : end + 1;
        std::string::size_type length = next - pos;
        while (length > 0 && IsLineBreak(from[pos + length - 1])) {
            --length;
        }
        text.append(from, pos, length);
        text += "\r\n";
        pos = next;
    }
}

void AppendRecordBody(std::string& text, const ProfileRecord& record, bool withState) {
    for (int field = 0; field < 3; ++field) {
        AppendText(text, kTextKeys[field], TextOf(record, field));
    }
    if (withState) {
        text += record.state != 0 ? "state=1\r\n" : "state=0\r\n";
    }
    for (const auto& key : record.extra) {
        // Names and values of further keys are the program's own: one line
        // each, never a line break.
        if (key.first.find_first_of("\r\n=[") == std::string::npos &&
            key.second.find_first_of("\r\n") == std::string::npos) {
            AppendKey(text, key.first, key.second);
        }
    }
}

namespace {

// The folder part of a path, with its last separator: the new file goes
// there, so that putting it in place is a rename within one folder.
std::string FolderPartOf(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("\\/");
    if (slash != std::string::npos) {
        return path.substr(0, slash + 1);
    }
    const std::string::size_type colon = path.find(':');
    return colon == std::string::npos ? std::string() : path.substr(0, colon + 1);
}

// Creates a new file in the folder under a name no file there has: the
// process id and a running number make a name, and the file is made only
// when nothing has that name yet, else the next number is tried. Returns the
// open file; `created` learns its path.
UniqueHandle CreateTemporaryBeside(const std::string& path, std::string& created) {
    static std::atomic<unsigned long> counter{0};
    const std::string folder = FolderPartOf(path);
    char pid[16];
    std::snprintf(pid, sizeof(pid), "%lx", static_cast<unsigned long>(GetCurrentProcessId()));
    for (int attempt = 0; attempt < 1000; ++attempt) {
        char number[16];
        std::snprintf(number, sizeof(number), "%lx", ++counter);
        const std::string candidate = folder + "~kv" + pid + "-" + number + ".tmp";
        UniqueHandle file(CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            created = candidate;
            return file;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    return UniqueHandle();
}

// Writes all of the text, in pieces that each call can take.
bool WriteWhole(HANDLE file, const std::string& text) {
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t piece = std::min<std::size_t>(text.size() - at, 1u << 30);
        DWORD written = 0;
        if (!WriteFile(file, text.data() + at, static_cast<DWORD>(piece), &written, nullptr) ||
            written == 0) {
            return false;
        }
        at += written;
    }
    return true;
}

} // namespace

bool ReplaceFileWhole(const std::string& path, const std::string& text, bool writeThrough) {
    std::string temporary;
    bool wrote = false;
    {
        UniqueHandle file = CreateTemporaryBeside(path, temporary);
        if (!file) {
            return false;
        }
        wrote = WriteWhole(file.get(), text) && (!writeThrough || FlushFileBuffers(file.get()));
    }
    const DWORD move = MOVEFILE_REPLACE_EXISTING | (writeThrough ? MOVEFILE_WRITE_THROUGH : 0);
    if (!wrote || !MoveFileExA(temporary.c_str(), path.c_str(), move)) {
        // Only the file made here goes; the target and its neighbours stay.
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

bool WriteProfileRecords(const std::string& path, const std::vector<ProfileRecord>& records,
                         bool withState, bool keepOthers, const std::string* oldText) {
    std::string readText;
    if (keepOthers && oldText == nullptr) {
        const FileRead read = ReadProfileFile(path, readText);
        if (read == FileRead::TooLarge || read == FileRead::Unreadable) {
            return false;
        }
        oldText = &readText;
    }
    const std::string text =
        RecordFileText(keepOthers ? *oldText : std::string(), records, withState, keepOthers);

    if (!ReplaceFileWhole(path, text, true)) {
        return false;
    }
    // No flush of the profile functions' cache is asked for: they check the
    // file's write time and read a replaced file anew.
    return true;
}

} // namespace kv
