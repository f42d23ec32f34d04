// Finding the writer or remover of an entry by what its location string
// names (ClassifyLocation). A string that names no startup location is
// refused: nothing is written, removed or deleted there.
#pragma once

#include "entries/location_outcome.h"
#include "entries/startup_entry.h"

#include <functional>
#include <string>

namespace kv {

// False for an entry the program cannot handle exactly: a location, or a
// win.ini item, with a character the code page cannot carry ("?" in its
// place), or a registry value or Startup-folder file whose title shows one
// and whose exact name is not known. Every change to it is refused.
bool EntryIsExact(const StartupEntry& entry);

// Removes the entry from the location its string names: a registry value, a
// win.ini item, or a file of a Startup folder.
LocationOutcome RemoveEntry(const std::string& title, const std::string& command,
                            const std::string& location);
// The same for an entry as the list holds it: by its exact name where it
// has one; refused for an entry that cannot be handled exactly.
LocationOutcome RemoveEntry(const StartupEntry& entry);

// Writes the entry into the location its string names: a string value under
// its Run-type key, subkey or RunOnceEx section, an item of win.ini (an item
// that is one item already goes back as it was written), or a shell link in a
// Startup folder to the command's program and arguments.
LocationOutcome WriteEntry(const std::string& title, const std::string& command,
                           const std::string& location);

// Before a disabled entry leaves its location: takes what the location holds
// for it into entry.kept, so that WriteKeptEntry can put back exactly that. A
// registry value gives its type and bytes; a file of a Startup folder is
// copied to the path that `keptPathFor` gives for its name. win.ini items
// keep nothing: the item is the whole entry. False, with the refusal in
// `refusal`, when the entry could not be put back whole (a subfolder of a
// Startup folder, a copy that cannot be made) or is not there any more;
// nothing has been changed then.
bool KeepEntryForm(StartupEntry& entry,
                   const std::function<std::string(const std::string&)>& keptPathFor,
                   LocationOutcome& refusal);

// Puts a disabled entry back: byte for byte from what it keeps, else (older
// records, saved lists) through WriteEntry; a registry value with an exact
// name and nothing kept comes back under that name as a string of its
// command.
LocationOutcome WriteKeptEntry(const StartupEntry& entry);

} // namespace kv
