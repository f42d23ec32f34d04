// The programs behind the rows: which of them run now, and running, stopping,
// opening the folder of and showing the properties of the selected ones.
#pragma once

#include "entries/startup_entry.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kv {

// After programs were started: each row of the list whose program runs now
// gets the status "Выполняется" (the others keep theirs). Nothing happens
// when the process functions are missing.
void MarkRunningRows();

// "Запустить программу" (F9, Enter, a double click): asks by "SingleRun" or
// "MultiRun", starts each selected row's program with its arguments, then
// marks the running rows.
void RunSelectedEntries();

// "Открыть папку": starts the worker thread that asks by "SingleOpen" or
// "MultiOpen" and opens the folder of each selected row's program.
void StartOpenSelectedFolders();

// "Свойства ...": the shell's properties of the program file of the row at the
// list's selection mark.
void ShowSelectedFileProperties();

// "Прекратить выполнение": ends one running process of each selected row's
// program. A row shows "Остановлено" only once its process has ended; one
// that could not be ended is named in the status bar.
void TerminateSelectedEntries();

} // namespace kv
