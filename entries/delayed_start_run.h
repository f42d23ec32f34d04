// Starting one delayed entry as Windows would start it from its location,
// without any window of this program.
#pragma once

#include "entries/startup_entry.h"

#include <string>

namespace kv {

// Starts the entry: a Run value's command line as its kept form holds it
// (an expandable value with this process's environment variables expanded,
// a value of any other string type as it is), or a Startup-folder file
// opened through the shell from its kept copy, so that a shortcut's own
// working folder, arguments and show state apply. Returns 0 once it has
// started, else the system's error code: ERROR_NOT_SUPPORTED for a location
// whose entries are not delayed, ERROR_INVALID_DATA for a value that is no
// text, ERROR_FILE_NOT_FOUND for a Startup-folder entry without its copy.
unsigned long StartDelayedEntry(const StartupEntry& entry);

// The system's text for an error code, without its line end and full stop;
// empty when the system has none.
std::string SystemErrorText(unsigned long code);

} // namespace kv
