// report.ini: the enabled entries last seen, which the change check compares
// a fresh refresh with; and the comparison itself.
#pragma once

#include "entries/startup_entry.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kv {

// 10 when the lengths differ; otherwise 0 when the texts are equal once the
// letters a-z are taken as A-Z, or -1 or 1 by the first differing byte (as
// an unsigned byte). Other letters, Cyrillic ones among them, keep their case.
int CompareTextNoCase(const std::string& a, const std::string& b);

// What changed from one set of enabled entries to the next: the entries of
// the new set that match none of the old one, and the entries of the old set
// that match none of the new one nor any of `disabled` (an entry that went
// into the disabled store was moved there by this program, not removed by
// another), each in its set's order. Two entries match when their titles,
// commands and locations compare equal by CompareTextNoCase (for a task, its
// title and location: its command follows its app's updates); an entry may
// match several of the other set.
struct EntryChanges {
    std::vector<std::size_t> added;    // indices into the new set
    std::vector<std::size_t> vanished; // indices into the old set
};
EntryChanges CompareEntrySets(const std::vector<StartupEntry>& previous,
                              const std::vector<StartupEntry>& current,
                              const std::vector<StartupEntry>& disabled = {});

// True when report.ini is a snapshot: it could be read whole, its "total" is
// a number, and it holds exactly the sections "object 1".."object total" and
// no other "object k". report.ini is only ever written whole, so any other
// file is damaged and is taken for no snapshot at all.
bool ChangeSnapshotIsWhole();

// What the change check watches: an entry in its location (whatever Windows'
// own switch says of it, as the check looks only at what the locations
// hold), but a task only while it is on: a task's switch is all there is of
// it, and one switched on by another program is a new program.
bool ChangeCheckWatches(bool inLocation, bool switchedOff, bool task);

// Writes report.ini whole from these entries (with `checkedOnly`, from those
// the change check watches), with the values they keep, and
// puts it in place of the old file in one step. False when it could not be
// written; the old snapshot is then still whole.
bool WriteChangeSnapshot(const std::vector<StartupEntry>& entries, bool checkedOnly = false);

// The snapshot's entries that name a place: a record without a location, or
// with a text missing, says nothing that could be compared or put back. None
// when report.ini is not whole. The snapshot is kept in memory as it was last
// read or changed by a move (below), and read again only when the file on
// disk has changed since.
std::vector<StartupEntry> ReadChangeSnapshot();

// report.ini's text as it stands (empty when it cannot be read whole), and
// the entries ReadChangeSnapshot would give for a file of that text: a check
// keeps the text of the snapshot that a refresh is about to replace, and
// reads its entries only when it needs them.
std::string ReadChangeSnapshotText();
std::vector<StartupEntry> ChangeSnapshotEntries(const std::string& text);

// Keep the snapshot in step with the program's own moves, so that the next
// start-up check takes none of them for another program's change: each
// replaces report.ini whole, as a durable write. SnapshotAddEntry adds the
// entry with the value it keeps (an entry about to be written into its
// location); SnapshotRemoveEntry takes out one record with the entry's three
// texts (an entry just taken out of its location). Without a whole snapshot
// there is nothing to keep in step (a start then asks nothing) and they
// return true. When the write fails, report.ini is deleted, as a snapshot
// that misses one of the program's moves would blame it on another program,
// and they return false.
bool SnapshotAddEntry(const StartupEntry& entry);
bool SnapshotRemoveEntry(const StartupEntry& entry);
// Both at once for many entries, in one write: the records of `removed`
// taken out, those of `added` put in.
bool SnapshotMoveEntries(const std::vector<StartupEntry>& removed,
                         const std::vector<StartupEntry>& added);

} // namespace kv
