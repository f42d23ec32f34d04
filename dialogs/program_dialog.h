// The new/edit program dialog: adding a program to a startup location, and
// changing an existing entry, enabled or disabled.
#pragma once

#include <string>

namespace kv {

// "Добавить ..." (Ctrl+N): the dialog in its new mode, nothing filled in.
void AddProgram();

// A file dropped on the list: the dialog in its new mode with the file's path
// and name filled in.
void AddDroppedFile(const std::string& path);

// "Редактировать ..." (Ctrl+E): asks by "SingleEdit" or "MultiEdit", opens the
// dialog in edit mode once for every selected row, top first, and refreshes
// once. An enabled entry leaves its location before the changed one is
// written, and goes back as it was when that cannot be written; a disabled
// entry only has its record in disable.ini changed.
void EditSelectedEntries();

} // namespace kv
