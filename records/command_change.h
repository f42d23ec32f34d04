// How the change check tells a changed command from a new program and a gone
// one, and finds a disabled entry that has come back: rules on plain entries.
#pragma once

#include "entries/startup_entry.h"
#include "records/change_snapshot.h"

#include <cstddef>
#include <vector>

namespace kv {

// One entry whose command another program changed: the same title in the
// same location as before, with another command.
struct CommandChange {
    std::size_t previous; // index into the old set
    std::size_t current;  // index into the new set
};

// Pairs the vanished entries of `changes` with the added ones of the same
// title and location (CompareTextNoCase), each at most once, in the order of
// the added ones; the paired indices leave `changes`. (A task never comes
// here: CompareEntrySets matches it by its title and location alone.)
std::vector<CommandChange> TakeCommandChanges(const std::vector<StartupEntry>& previous,
                                              const std::vector<StartupEntry>& current,
                                              EntryChanges& changes);

// The last record of the store with the entry's title and location
// (CompareTextNoCase), whatever its command; `store.size()` when none has.
std::size_t StoredNamesake(const std::vector<StartupEntry>& store, const StartupEntry& entry);

// The delay of the delayed records of the store with the entry's title and
// location (the longest, when several are); 0 when none is delayed.
int NamesakeDelay(const std::vector<StartupEntry>& store, const StartupEntry& entry);

} // namespace kv
