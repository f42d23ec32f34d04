// Adding a program and changing entries through the program dialog: the
// shell opens the dialog, writes what it returns, and refreshes the list.
#pragma once

#include <string>

namespace kv {

// "Добавить ...": the dialog empty, in its new mode.
void AddProgram();

// A file dropped on the list: the dialog in its new mode with the file's path
// and name filled in.
void AddDroppedFile(const std::string& path);

// "Редактировать ...": asks by "SingleEdit" or "MultiEdit", opens the dialog
// once for every selected row, top first, and refreshes once. OK with
// nothing changed writes nothing. A changed entry keeps every property of its
// old form that the dialog does not show (a value's type and bytes, a
// shortcut's working folder, description, icon and show state, a file of
// the Startup folder itself). An enabled entry leaves its location before
// the changed one is written and goes back as it was when that cannot be
// written; a disabled entry only has its record in disable.ini changed.
void EditSelectedEntries();

} // namespace kv
