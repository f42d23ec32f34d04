// disable.ini mirrors the disabled rows of the list: its records stand in
// the order of those rows, top first, one for each. This file owns that
// rule: where a row goes among the disabled rows, which record is a row's,
// and what the store must hold for the list as it stands.
#pragma once

#include "entries/startup_entry.h"

#include <cstddef>
#include <vector>

namespace kv {

// One row as the rule sees it: its texts, and whether it is disabled.
struct RowState {
    StartupEntry texts;
    bool disabled = false;
};

// The place of a row among the disabled rows: how many rows above it are
// disabled.
std::size_t PlaceAmongDisabled(const std::vector<RowState>& rows, std::size_t row);

// What the store must hold for these rows: the disabled ones, top first,
// each with what a record of its texts keeps, the first not yet taken of
// `kept` (entries just taken out of their locations) and then of `stored`.
std::vector<StartupEntry> StoreForRows(std::vector<RowState> rows,
                                       const std::vector<StartupEntry>& stored,
                                       const std::vector<StartupEntry>& kept = {});

// The rows of the list as they stand.
std::vector<RowState> ListRowStates();

// The store made the disabled rows again, each with what its record keeps;
// `alsoStored` are entries whose records are not in the store yet. False
// when it could not be written (the old store is then whole).
bool SaveDisabledRows(const std::vector<StartupEntry>& alsoStored = {});

// The stored entry of a row (one that is disabled, or is being enabled), with
// what its record keeps; false when the store holds none for it.
bool StoredEntryOfRow(int row, StartupEntry& entry);

// A row being disabled: its entry, with what it keeps, recorded at the row's
// place. A row being enabled: its record taken out. False when the store
// could not be written.
bool RecordRow(int row, const StartupEntry& entry);
bool ForgetRow(int row);

} // namespace kv
