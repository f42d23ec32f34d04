#include "records/guard_log.h"

#include "records/profile_records.h"
#include "records/user_data_folder.h"

#include <cstdio>

namespace kv {

namespace {

std::string OneLine(const std::string& text) {
    std::string line = text;
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20) {
            c = ' ';
        }
    }
    return line;
}

} // namespace

std::string GuardLogLine(const SYSTEMTIME& when, const StartupEntry& entry) {
    char stamp[32];
    std::snprintf(stamp, sizeof(stamp), "%04u-%02u-%02u %02u:%02u:%02u",
                  static_cast<unsigned>(when.wYear), static_cast<unsigned>(when.wMonth),
                  static_cast<unsigned>(when.wDay), static_cast<unsigned>(when.wHour),
                  static_cast<unsigned>(when.wMinute), static_cast<unsigned>(when.wSecond));
    return std::string(stamp) + '\t' + OneLine(entry.title) + '\t' + OneLine(entry.location) +
           '\t' + OneLine(entry.command) + "\r\n";
}

std::string AppendedLogText(const std::string& text, const std::string& line, std::size_t cap) {
    std::string all = text;
    if (!all.empty() && all.back() != '\n') {
        all += "\r\n"; // a last line cut short by hand stays a line of its own
    }
    const std::size_t newest = all.size();
    all += line;
    std::size_t from = 0;
    while (all.size() - from > cap && from < newest) {
        from = all.find('\n', from) + 1; // every older line ends before the newest
    }
    return all.substr(from);
}

bool AppendGuardLog(const StartupEntry& entry) {
    const std::string path = UserDataFolderPath() + "\\guard.log";
    std::string text;
    const FileRead read = ReadProfileFile(path, text);
    if (read == FileRead::Unreadable) {
        return false;
    }
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return ReplaceFileWhole(path, AppendedLogText(text, GuardLogLine(now, entry), kGuardLogCap),
                            false);
}

} // namespace kv
