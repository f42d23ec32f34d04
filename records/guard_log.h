// guard.log in the per-user folder: one line for each program that put
// itself back into the startup set and was turned off again, so that the user
// can see what fought back and how often. The file is capped: the oldest
// lines go first.
#pragma once

#include "entries/startup_entry.h"

#include <windows.h>

#include <cstddef>
#include <string>

namespace kv {

// The cap of guard.log, in bytes.
constexpr std::size_t kGuardLogCap = 64 * 1024;

// One line of the log: the time, the title, the location and the command,
// separated by tabs and ended by CR LF. A control character inside a text
// (a name may hold a line break) is written as a blank, so one event is
// always one line.
std::string GuardLogLine(const SYSTEMTIME& when, const StartupEntry& entry);

// The log's text with `line` appended and then its oldest lines dropped while
// it is longer than `cap`; the newest line always stays, whole.
std::string AppendedLogText(const std::string& text, const std::string& line, std::size_t cap);

// Appends the entry's line, stamped with the local time, to guard.log;
// false when the file could not be written (or read whole, when it is
// there: it is then left as it is).
bool AppendGuardLog(const StartupEntry& entry);

} // namespace kv
