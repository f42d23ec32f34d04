// Moving entries between their locations and the disabled store from the
// list: enabling and disabling one row, and deleting the selected rows.
#pragma once

namespace kv {

// Rewrites disable.ini from the unchecked rows of the list, top first.
bool SaveDisabledRows();

// The row's box was just set: the entry goes back into its location and
// leaves the store. When it cannot be written, the box is cleared again, the
// store stays as it was, and the status bar says why. Returns true on success.
bool EnableEntry(int row);

// The row's box was just cleared: the entry is recorded in the store and
// leaves its location. When it cannot be taken out (or could never be put
// back), the box is set again, the store stays as it was, and the status bar
// says why. Returns true on success.
bool DisableEntry(int row);

// The command "Удалить": asks (by the confirmation settings), then removes
// the selected active entries from their locations and the selected disabled
// ones from the store, and refreshes.
void DeleteSelectedEntries();

} // namespace kv
