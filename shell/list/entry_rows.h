// The rows of the entry list, top first, as the program keeps them: the list
// view holds only their number, selection and focus, and asks for each
// row's texts, icon and check box when it shows them. A row's title, command
// and location never change after it is put in.
#pragma once

#include "entries/startup_entry.h"

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

namespace kv {

enum EntryColumn { kColumnTitle = 0, kColumnCommand = 1, kColumnStatus = 2, kColumnLocation = 3 };

int RowCount();
// A column's text, whole, however long. Off the list's thread it is asked
// of the list, which the window's thread answers.
std::string RowText(int row, int column);
// In its location (also when Windows' own switch says off), or disabled:
// only in the store.
bool RowChecked(int row);
bool RowUnchecked(int row);
// Active in its location with Windows' own switch saying off.
bool RowSwitchedOff(int row);
// The box as it shows: set for an entry in its location that Windows starts.
bool RowBoxSet(int row);
// A task (a packaged app's startup task or a scheduled task): only switched.
bool RowIsTask(int row);
// A task whose switch a policy holds.
bool RowByPolicy(int row);
bool RowRunning(int row);
// Rows whose box is clear: disabled ones and those Windows' switch turns off.
int DisabledRowCount();
// The title, command and location of a row (and its exact name when the
// code page cannot carry it), and nothing else.
StartupEntry RowTexts(int row);
// The texts, icon, box and running status of a row (not its selection).
StartupEntry RowEntry(int row);
// Enabled: in its location (a task: whether on or off); Disabled: only in
// the store; Started: what the change check watches, the enabled rows except
// the tasks switched off; TasksOff: the tasks switched off.
enum class RowKind { Enabled, Disabled, Started, TasksOff };
// RowTexts of every row of the kind, top first.
std::vector<StartupEntry> RowsOfKind(RowKind kind);
// Every row's text of a column, top first.
std::vector<std::string> ColumnTexts(int column);

// Sets whether a row is in its location (true) or only in the store, as it
// is shown; the entry itself is not touched.
void SetRowBox(int row, bool checked);
// A delayed entry's delay in seconds; 0 for any other row. A delayed row is
// in the store (not checked) and its box is set: it will start, later.
int RowDelay(int row);
void SetRowDelay(int row, int seconds);

// Sets whether Windows' own switch says off for the row.
void SetRowSwitchedOff(int row, bool off);
// Shows a row's status as "Выполняется" or "Остановлено".
void SetRowRunning(int row, bool running);
// While paused (pauses nest), the three above do not draw the row: the one
// who paused draws the list whole after.
void PauseRowDrawing(bool paused);

// The first row from `start` on (then from the top) whose title is `text`,
// or begins with it when `partial`, in any letter case; -1 when none is.
// What the list asks when the user types in it.
int FindRowByTitle(const std::string& text, bool partial, int start);

// Answers the list's request for a row's texts, icon or check box.
void ProvideRowItem(LVITEMA& item);

// Changes of the rows themselves, for the list view that shows them. A row's
// icon of kIconOfCommand is looked up when the row first needs it; of the
// rows ReplaceRows puts in, those not said to run are looked for among the
// running processes when their status is first needed (row_facts.h).
void InsertRowAt(int position, const StartupEntry& entry);
void EraseRowAt(int row);
void ReplaceRows(const std::vector<StartupEntry>& rows);
// The rows put in this order: order[k] is the row that goes to place k.
void ReorderRows(const std::vector<std::size_t>& order);

} // namespace kv
