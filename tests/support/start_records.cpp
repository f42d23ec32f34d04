#include "support/start_records.h"

#include "support/files.h"
#include "support/process.h"

namespace kvtest {

ULONGLONG NowMs() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return ((static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000;
}

std::string StartRecorderPath() {
    return TestProgramDirectory() + "\\kv_start_recorder.exe";
}

std::vector<StartRecord> ReadStartRecords(const std::string& file) {
    std::vector<StartRecord> records;
    if (!FileExists(file)) {
        return records;
    }
    const std::string text = ReadFileText(file);
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            break; // a line still being written
        }
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string::npos) {
            continue;
        }
        StartRecord record;
        record.startedMs = std::stoull(line.substr(0, tab1));
        record.folder = line.substr(tab1 + 1, tab2 - tab1 - 1);
        record.commandLine = line.substr(tab2 + 1);
        records.push_back(record);
    }
    return records;
}

std::vector<StartRecord> WaitForStartRecords(const std::string& file, std::size_t count,
                                             DWORD milliseconds) {
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    std::vector<StartRecord> records = ReadStartRecords(file);
    while (records.size() < count && GetTickCount64() < deadline) {
        Sleep(20);
        records = ReadStartRecords(file);
    }
    return records;
}

} // namespace kvtest
