// What the start recorder (tests/programs/start_recorder.cpp) wrote: one
// record for each start of it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kvtest {

struct StartRecord {
    ULONGLONG startedMs = 0; // when its process was created (see NowMs)
    std::string folder;      // its current folder (UTF-8)
    std::string commandLine; // its whole command line (UTF-8)
};

// The system time in milliseconds, as the recorder counts it.
ULONGLONG NowMs();

// The recorder's path: it is built beside the test programs.
std::string StartRecorderPath();

// The records in the file, in the order they were written; none when the
// file is missing.
std::vector<StartRecord> ReadStartRecords(const std::string& file);

// Waits until the file holds at least `count` records, or the time is over;
// returns the records it holds then.
std::vector<StartRecord> WaitForStartRecords(const std::string& file, std::size_t count,
                                             DWORD milliseconds);

} // namespace kvtest
