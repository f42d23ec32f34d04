// Every move of an entry between its location, the disabled store and the
// change snapshot, and Windows' own switch kept in step: the one place that
// takes entries out, puts them back, replaces and deletes them. Each move
// reads what the location holds at that moment and acts on that, never on
// what the list showed at its last refresh; none replaces an entry of the
// same name without consent. The shell asks and shows the outcome.
//
// The store holds the disabled entries in the order of the list's disabled
// rows; a row's `place` is how many disabled rows stand above it. A place
// only says where a record goes or which of equal records is the row's: the
// store itself is never rewritten from the rows.
#pragma once

#include "moves/move_outcome.h"

#include <cstddef>
#include <vector>

namespace kv {

// Disable: what the location holds now under the entry's name is kept (its
// current type, bytes and command, or a copy of its file), recorded in the
// store at `place`, and taken out of its location. Stale when the location
// no longer holds it.
// `disabledRows` are the texts of the list's disabled rows, top first: the
// store follows their order when it holds exactly their entries.
MoveOutcome TakeOut(const StartupEntry& shown, std::size_t place,
                    const std::vector<StartupEntry>& disabledRows = {});

// Enable: the stored entry of the row (the record at `place` when it has the
// row's texts, else the first with them) goes back into its location exactly
// as it left, its switch on, its record and kept copy gone. When the location
// holds an entry of that name already, `consent` is asked; No keeps both.
MoveOutcome PutBack(const StartupEntry& shown, std::size_t place, const Consent& consent,
                    const std::vector<StartupEntry>& disabledRows = {});

// The box of an entry that Windows' own switch turns off was set: the switch
// goes on; the entry itself is not touched.
MoveOutcome SwitchOn(const StartupEntry& shown);

// Delete an active entry: only while its location still holds it as shown
// (Stale otherwise: a changed entry is not deleted unseen). Its switch goes
// with it.
MoveOutcome DeleteActive(const StartupEntry& shown);

// Delete disabled entries: their records (each found as PutBack finds it) and
// kept copies, in one write of the store. Their switches go too, unless the
// location holds an active entry of that name now.
MoveOutcome DeleteStored(const std::vector<StartupEntry>& shown,
                         const std::vector<std::size_t>& places);

// Put back an entry that another program removed (the change check's undo),
// as the snapshot kept it; `consent` as for PutBack.
MoveOutcome PutBackVanished(const StartupEntry& entry, const Consent& consent);

// Write a new entry (`target`: its location and name) with `write`; asks
// `consent` first when the location holds an entry of that name.
MoveOutcome AddNew(const StartupEntry& target, const std::function<LocationOutcome()>& write,
                   const Consent& consent);

// An edit: the new entry made from the old one as its location or record
// holds it now (`old.kept` filled). `make` fills `made` and returns the
// string-table id of why it cannot be made, or 0; with `fromForm`, `made` is
// written from its kept form, else by `write`.
struct Replacement {
    StartupEntry entry;
    bool fromForm = false;
};
using MakeReplacement = std::function<unsigned(const StartupEntry& old, Replacement& made)>;

// An enabled entry changed: the old one is kept and recorded in the store,
// leaves its location, the new one is written; when that fails,
// `writeFailed` is told (before anything else is done) and the old one goes
// back (or stays stored when even that fails). A new name that its location
// holds already is asked about first.
MoveOutcome ReplaceActive(const StartupEntry& shown, const MakeReplacement& make,
                          const std::function<LocationOutcome()>& write, const Consent& consent,
                          const std::function<void(const LocationOutcome&)>& writeFailed = {});

// A disabled entry that another program put back into its location: taken
// out again as TakeOut does, and recorded right after the last record of
// its title and location, so that both forms are kept. Its text tells the
// user that it came back and was turned off. `delayBefore`: the delay its
// records had before it came back; it stays delayed.
MoveOutcome TakeOutAgain(const StartupEntry& shown, int delayBefore = 0);

// An entry that Windows' own switch turned off and another program switched
// on: the switch goes off again; the entry itself is not touched.
MoveOutcome SwitchOffAgain(const StartupEntry& shown);

// The change check's undo of a changed command: `before` (as the snapshot
// kept it, with its value's type and bytes) goes back in place of `now`,
// while the location still holds `now` as shown (Stale otherwise). A
// registry value is rewritten exactly; an entry of another kind leaves and
// the old one is written in its place, and comes back when that fails.
MoveOutcome PutBackCommand(const StartupEntry& before, const StartupEntry& now);

// Delayed start. An entry in its location (`shown.checked`, not delayed)
// is taken out exactly as TakeOut does, its record carrying the delay; with
// 0 seconds it stays where it is. A stored entry (delayed, or plainly
// disabled) keeps its place and kept form and only its record's delay
// changes; with 0 seconds it goes back into its location exactly as PutBack
// does. Refused for a location that MayBeDelayed does not allow, and for a
// delay beyond kMaxDelaySeconds or below 0.
MoveOutcome Delay(const StartupEntry& shown, int seconds, std::size_t place,
                  const Consent& consent, const std::vector<StartupEntry>& disabledRows = {});

// A delayed entry's box was cleared: it stays in the store as a plain
// disabled entry, in its place, with its kept form; only the delay goes.
MoveOutcome KeepDisabled(const StartupEntry& shown, std::size_t place,
                         const std::vector<StartupEntry>& disabledRows = {});

// A disabled entry changed: only its record changes, in place.
MoveOutcome ReplaceStored(const StartupEntry& shown, std::size_t place,
                          const MakeReplacement& make);

} // namespace kv
