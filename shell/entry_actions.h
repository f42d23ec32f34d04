// Moving entries between their locations and the disabled store from the
// list: enabling and disabling one row, and deleting the selected rows.
#pragma once

#include "entries/startup_entry.h"

#include <vector>

namespace kv {

// Rewrites disable.ini from the unchecked rows of the list, top first, each
// with what its record keeps; `alsoStored` are entries whose records are not
// in the store yet (an entry being disabled).
bool SaveDisabledRows(const std::vector<StartupEntry>& alsoStored = {});

// The row's box was just set: the entry goes back into its location exactly
// as it left it, and leaves the store. When it cannot be written, the box is
// cleared again, the store stays as it was, and the status bar says why.
// Returns true on success.
bool EnableEntry(int row);

// The row's box was just cleared: what the location holds for the entry is
// kept, the entry is recorded in the store and leaves its location. When it
// cannot be taken out (or could not be put back whole), the box is set again,
// the store stays as it was, and the status bar says why. Returns true on
// success.
bool DisableEntry(int row);

// The command "Удалить": asks (by the confirmation settings), then removes
// the selected active entries from their locations and the selected disabled
// ones from the store, and refreshes.
void DeleteSelectedEntries();

} // namespace kv
