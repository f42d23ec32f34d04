#include "records/profile_records.h"

#include "entries/text.h"

#include <windows.h>

#include <cstdlib>

namespace kv {

std::string ReadProfileText(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& fallback) {
    std::string buffer(512, '\0');
    for (;;) {
        const DWORD length =
            GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), &buffer[0],
                                     static_cast<DWORD>(buffer.size()), path.c_str());
        // A value cut to fit comes back with the buffer's size less one.
        if (length + 1 < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(buffer.size() * 4, '\0');
    }
}

std::vector<ProfileRecord> ReadProfileRecords(const std::string& path, bool withState) {
    std::vector<ProfileRecord> records;
    const int total = static_cast<int>(GetPrivateProfileIntA("common", "total", 0, path.c_str()));
    for (int i = 1; i <= total; ++i) {
        const std::string section = "object " + std::to_string(i);
        ProfileRecord record;
        record.title = ReadProfileText(path, section, "title");
        record.command = ReadProfileText(path, section, "command");
        record.location = ReadProfileText(path, section, "location");
        if (withState) {
            record.hasState = true;
            record.state =
                static_cast<int>(GetPrivateProfileIntA(section.c_str(), "state", 0, path.c_str()));
        }
        records.push_back(std::move(record));
    }
    return records;
}

std::string QuoteForProfile(const std::string& value) {
    if (value.empty()) {
        return value;
    }
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    const bool needs =
        value[0] == '"' || value[0] == '\'' || blank(value[0]) || blank(value[value.size() - 1]);
    return needs ? "\"" + value + "\"" : value;
}

namespace {

// Lower-cased, trimmed section name of a "[name]" line; false for other lines.
bool SectionName(const std::string& line, std::string& name) {
    const std::string::size_type open = line.find_first_not_of(" \t");
    if (open == std::string::npos || line[open] != '[') {
        return false;
    }
    const std::string::size_type close = line.find(']', open);
    std::string raw =
        line.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
    const std::string::size_type first = raw.find_first_not_of(" \t");
    const std::string::size_type last = raw.find_last_not_of(" \t");
    name = first == std::string::npos ? std::string()
                                      : LowerAscii(raw.substr(first, last - first + 1));
    return true;
}

// True for "common" and "object k" with k from 1 to total.
bool IsRewrittenSection(const std::string& name, std::size_t total) {
    if (name == "common") {
        return true;
    }
    if (name.compare(0, 7, "object ") != 0 || name.size() == 7) {
        return false;
    }
    const std::string number = name.substr(7);
    if (number.find_first_not_of("0123456789") != std::string::npos || number.size() > 9) {
        return false;
    }
    const unsigned long k = std::strtoul(number.c_str(), nullptr, 10);
    return k >= 1 && k <= total;
}

void AppendKey(std::string& text, const char* key, const std::string& value) {
    text += key;
    text += '=';
    text += QuoteForProfile(value);
    text += "\r\n";
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        text.append(chunk, got);
    }
    CloseHandle(file);
    return true;
}

} // namespace

std::string RecordFileText(const std::string& oldText, const std::vector<ProfileRecord>& records,
                           bool withState, bool keepOthers) {
    std::string text = "[common]\r\ntotal=" + std::to_string(records.size()) + "\r\n";
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ProfileRecord& record = records[i];
        text += "[object " + std::to_string(i + 1) + "]\r\n";
        AppendKey(text, "title", record.title);
        AppendKey(text, "command", record.command);
        AppendKey(text, "location", record.location);
        if (withState) {
            text += record.state != 0 ? "state=1\r\n" : "state=0\r\n";
        }
    }
    if (!keepOthers) {
        return text;
    }
    // Keep every other section, line for line.
    bool keeping = false;
    std::string::size_type pos = 0;
    while (pos < oldText.size()) {
        std::string::size_type end = oldText.find('\n', pos);
        const std::string::size_type next = end == std::string::npos ? oldText.size() : end + 1;
        std::string line = oldText.substr(pos, next - pos);
        pos = next;
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
            line.pop_back();
        }
        std::string name;
        if (SectionName(line, name)) {
            keeping = !IsRewrittenSection(name, records.size());
        }
        if (keeping) {
            text += line + "\r\n";
        }
    }
    return text;
}

bool WriteProfileRecords(const std::string& path, const std::vector<ProfileRecord>& records,
                         bool withState, bool keepOthers) {
    std::string oldText;
    if (keepOthers) {
        ReadWholeFile(path, oldText);
    }
    const std::string text = RecordFileText(oldText, records, withState, keepOthers);

    const std::string temporary = path + ".new";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool wrote =
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
        written == text.size() && FlushFileBuffers(file);
    CloseHandle(file);
    if (!wrote || !MoveFileExA(temporary.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    // No flush of the profile functions' cache is asked for: they check the
    // file's write time and read a replaced file anew.
    return true;
}

} // namespace kv
