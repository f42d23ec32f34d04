// Saved list files: the whole list, enabled and disabled entries alike, saved
// to a file of the user's choosing, and the startup set made equal to such a
// file again.
#pragma once

#include <string>

namespace kv {

// "Сохранить список" (Ctrl+S): to the file last saved in this run, or, before
// the first save, to a file chosen in the save dialog.
void SaveList();

// "Сохранить список как ...": always to a file chosen in the save dialog.
void SaveListAs();

// "Восстановить список ..." (Ctrl+R): asks by "Restore", then makes the
// startup set equal to a list file chosen in the open dialog.
void RestoreList();

// Makes the startup set equal to the list file: refused with a message, and
// nothing changed, when the file is no whole list or the current list cannot
// be kept first (as "before restore.ini" in the user's data folder); false
// then.
bool RestoreListFile(const std::string& path);

} // namespace kv
