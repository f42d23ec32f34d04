// The steps that the single and the bulk moves share: finding a row's record
// in the store, clearing the way for a consented replacement, and the texts
// of failures. Only the move module uses them.
#pragma once

#include "moves/move_outcome.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kv {

MoveOutcome Outcome(MoveResult result, const StartupEntry& entry, std::string text);

// Why the store could not change.
std::string StoreFailure();
// Why an entry did not go back into its location.
std::string NotWrittenText(const StartupEntry& entry, const LocationOutcome& outcome);
// Why an entry did not leave its location.
std::string NotRemovedText(const StartupEntry& entry, const LocationOutcome& outcome);
// The user kept an entry of the same name: the stored one stays stored.
std::string KeptBothText(const StartupEntry& entry);

// Whether an entry may be written where it belongs. Free: the location
// holds no entry of its name. Otherwise the replace question is asked:
// Declined (No, or no consent at all); Present (Yes, and it is the very
// win.ini item, so there is nothing to write); Agreed (Yes: `now` is the
// entry the write replaces).
enum class Way { Free, Agreed, Present, Declined };
Way AskWay(const StartupEntry& entry, const Consent& consent, StartupEntry& now);

// The index of the row's record in the store: the one at `place` when it has
// the row's texts, else the first untaken one with them, else the first
// untaken one of the row's identity; it is marked taken. False when the store
// holds none.
bool FindStored(const std::vector<StartupEntry>& store, const StartupEntry& shown,
                std::size_t place, std::vector<bool>& taken, std::size_t& index);

// An entry of the same name that stands in the way of a consented write.
// A Startup-folder file is kept and taken out first (a write would not
// replace it), and comes back when the write fails; a registry value is
// replaced by the write itself, and a win.ini item that is there is the
// entry.
struct SetAside {
    bool active = false;
    StartupEntry entry;
};
// After Agreed: sets the entry of that name aside where a write would not
// replace it; false, with `why`, when it cannot be.
bool ClearWay(const StartupEntry& now, SetAside& aside, std::string& why);
void EndSetAside(SetAside& aside, bool written);

// The store in the order of the list's disabled rows (`rows`: their texts,
// top first) when it holds exactly their entries in another order (the list
// was sorted); else the store as it is. No record is ever dropped or added.
std::vector<StartupEntry> AlignedStore(const std::vector<StartupEntry>& rows);

// The same texts in the same order, one for one.
bool SameOrder(const std::vector<StartupEntry>& a, const std::vector<StartupEntry>& b);

// Takes the last record with the entry's texts and kept file out of the
// store; true when none is left or it went.
bool EraseFromStore(const StartupEntry& entry);

} // namespace kv
