// disable.ini: the entries that are temporarily out of their locations.
#pragma once

#include "entries/startup_entry.h"

#include <string>
#include <vector>

namespace kv {

// The complete records of the store (title, command and location all
// non-empty), in the file's order, unchecked, with the program file of each
// command named for its icon.
std::vector<StartupEntry> ReadDisabledStore();

// Rewrites the store from these entries, in this order. False when the file
// could not be written (the old store is then still whole).
bool WriteDisabledStore(const std::vector<StartupEntry>& disabled);

// Changes the record whose three texts equal the old ones (ignoring the case
// of A-Z), or appends the new texts as a last record when none does.
bool UpdateDisabledRecord(const std::string& oldTitle, const std::string& oldCommand,
                          const std::string& oldLocation, const std::string& newTitle,
                          const std::string& newCommand, const std::string& newLocation);

} // namespace kv
