// Moving entries between their locations and the disabled store from the
// list: enabling and disabling one row, all rows at once, and deleting the
// selected rows.
#pragma once

#include <vector>

namespace kv {

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

// The box of a row that Windows' own switch turns off was set: the switch
// goes on; the entry itself is not touched. When it cannot, the box stays
// clear and the status bar says why.
bool TurnSwitchOnForRow(int row);

// The box of a task's row changed: its switch is turned, and read back. When
// it cannot be (a policy holds it, the system refused, the switch stayed),
// the box shows the switch as it is and the status bar says why.
bool SwitchTaskForRow(int row, bool on);

// True, after telling the user so in a box, when one of the rows is a task:
// tasks are only switched, never deleted or edited (`text`: which command).
bool RefusedForTasks(const std::vector<int>& rows, unsigned text);

// "Включить всё" and "Отключить всё": every disabled row enabled, or every
// enabled one disabled, the store and the snapshot written once each. While
// the program rebuilds the list itself, only the boxes change.
void CheckAllRows();
void UncheckAllRows();

// Whether these rows may be delayed: each a Run key's value or a
// Startup-folder file (and there is at least one).
bool DelayAllowed(const std::vector<int>& rows);

// The command "Отложить запуск ...": the delay asked in the dialog, the
// program's own start with Windows made sure of (asked when it is off), then
// each selected row delayed (taken out of its location as a disabled entry
// is, its delay recorded), given another delay, or (0) put back. Refused
// with a box when a row may not be delayed.
void DelaySelectedEntries();

// The command "Удалить": asks (by the confirmation settings), then removes
// the selected active entries from their locations and the selected disabled
// ones from the store, and refreshes.
void DeleteSelectedEntries();

} // namespace kv
