// What a location holds for an entry at this moment, read afresh: every move
// acts on this, never on what the list showed at its last refresh.
#pragma once

#include "entries/startup_entry.h"

namespace kv {

// Whether the entry's location holds an entry of its identity now: a value
// of its exact name, a file of its exact name, or its win.ini item.
bool LocationHolds(const StartupEntry& entry);

// The entry as its location holds it now: its command (a value's data as
// text, a win.ini item as it stands) and, for a registry value, its type and
// bytes in `now.kept`. False when the location holds no entry of its
// identity (a folder inside a Startup folder is no such entry). A
// Startup-folder file keeps the command it was given: its kept copy, not its
// text, is what comes back.
bool ReadEntryNow(const StartupEntry& entry, StartupEntry& now);

// The command a registry value's kept bytes show in the list.
std::string CommandOfKeptValue(const KeptForm& kept);

} // namespace kv
