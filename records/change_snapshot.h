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
// that match none of the new one, each in its set's order. Two entries match
// when their titles, commands and locations compare equal by
// CompareTextNoCase; an entry may match several of the other set.
struct EntryChanges {
    std::vector<std::size_t> added;    // indices into the new set
    std::vector<std::size_t> vanished; // indices into the old set
};
EntryChanges CompareEntrySets(const std::vector<StartupEntry>& previous,
                              const std::vector<StartupEntry>& current);

// True when report.ini exists.
bool ChangeSnapshotExists();

// Writes report.ini whole from these entries (with `checkedOnly`, from those
// whose box is set), with the values they keep, and
// puts it in place of the old file in one step. False when it could not be
// written; the old snapshot is then still whole.
bool WriteChangeSnapshot(const std::vector<StartupEntry>& entries, bool checkedOnly = false);

// The snapshot's entries that name a place: a record without a location, or
// with a text missing, says nothing that could be compared or put back.
std::vector<StartupEntry> ReadChangeSnapshot();

} // namespace kv
