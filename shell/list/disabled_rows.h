// disable.ini stands in the order of the disabled rows of the list: a row's
// place among the stored entries is how many disabled rows stand above it.
// The place only tells a move where a record goes or which of equal records
// is the row's; the store is never made from the rows.
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

// The rows of the list as they stand.
std::vector<RowState> ListRowStates();

// The place of each of these rows (top first) among the list's disabled rows.
std::vector<std::size_t> PlacesAmongDisabled(const std::vector<int>& rows);

} // namespace kv
