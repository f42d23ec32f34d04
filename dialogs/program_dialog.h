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
// dialog in edit mode once for every selected row, and refreshes once.
void EditSelectedEntries();

} // namespace kv
