// Finding the writer or remover of an entry by its location string. Location
// strings are compared on lower-cased copies.
#pragma once

#include "entries/location_outcome.h"

#include <string>

namespace kv {

extern const char* const kWinIniRunLocation;  // "section: [windows]; parameter: run"
extern const char* const kWinIniLoadLocation; // "section: [windows]; parameter: load"

// Removes the entry from the location its string names: a registry value
// (every "hkcu"/"hklm" location), a win.ini item, or a file in a folder.
LocationOutcome RemoveEntry(const std::string& title, const std::string& command,
                            const std::string& location);

// Writes the entry into the location its string names. A location without a
// writer does nothing and says nothing.
LocationOutcome WriteEntry(const std::string& title, const std::string& command,
                           const std::string& location);

// True when WriteEntry can put an entry of this location back: every Run-type
// key and its subkeys, RunOnceEx sections, win.ini, and the two Startup
// folders as they are now.
bool HasWriter(const std::string& location);

// True when the entry, once removed, can be written back as it was: its
// location has a writer, and it is not a plain file of a Startup folder (its
// command names the file itself, which removing would delete for good).
bool CanBeWrittenBack(const std::string& title, const std::string& command,
                      const std::string& location);

} // namespace kv
