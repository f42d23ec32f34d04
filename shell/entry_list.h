// The entry list of the main window: its rows are the startup entries. Row
// operations, the sort, and the two status-bar texts.
#pragma once

#include "entries/startup_entry.h"

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <string>
#include <vector>

namespace kv {

enum EntryColumn { kColumnTitle = 0, kColumnCommand = 1, kColumnStatus = 2, kColumnLocation = 3 };

// Inserts one row at the top: the title and icon, then the command, the status
// "Остановлено" and the location string. The new row is unchecked.
void AddEntryRow(const std::string& title, const std::string& command, const std::string& location,
                 int icon);

// The system image-list index of the file's icon, or of the icon of "C:\"
// when the shell has none for it (the file does not exist).
int FileIconIndex(const std::string& path);

// FileIconIndex for many files at once, as a refresh needs it: a file asked
// for again, and every missing file, cost no second look-up by the shell.
class IconLookup {
  public:
    int operator()(const std::string& path);

  private:
    std::map<std::string, int> known_; // by lower-cased path
    int drive_ = -1;                   // index of "C:\", once asked
};

// Sorts the list by the column in the direction its flag names, shows the
// header marker of that direction and flips the flag.
void SortEntryList(int column);

void SelectAllRows();

// Left part of the status bar.
void ShowStatusText(const std::string& text);
// Right part of the status bar: totals of all, disabled and selected rows;
// the part is widened or narrowed to the text.
void UpdateCountText();

// Row access. Texts come back whole, however long.
int RowCount();
int SelectedCount();
int FirstSelectedRow(); // -1 when none is selected
// The selected rows in list order. Every read is a message to the list, so
// the worker thread may call this too.
std::vector<int> SelectedRows();
int FocusedRow(); // -1 when no row has the focus
std::string RowText(int row, int column);
bool RowChecked(int row);   // state image 2: active in its location
bool RowUnchecked(int row); // state image 1: disabled
bool RowSelected(int row);
StartupEntry ReadRow(int row);
// Answers the list's request for a row's texts, icon or check box.
void ProvideRowItem(LVITEMA& item);
// Sets a row's check box (true: state image 2) as it is shown; the entry
// itself is not touched.
void SetRowBox(int row, bool checked);
// Shows a row's status as "Выполняется" or "Остановлено".
void SetRowRunning(int row, bool running);
// The first row from `start` on (then from the top) whose title is `text`,
// or begins with it when `partial`, in any letter case; -1 when none is.
// What the list asks when the user types in it.
int FindRowByTitle(const std::string& text, bool partial, int start);
// Every row gone, and the list told so.
void ClearEntryList();
// One row gone; the selection and focus of the others stay with them.
void DeleteEntryRow(int row);
// The title, command and location of a row, and nothing else.
StartupEntry RowTexts(int row);
enum class RowKind { Enabled, Disabled, Selected };
// RowTexts of every row of the kind, top first.
std::vector<StartupEntry> RowsOfKind(RowKind kind);
std::vector<StartupEntry> ReadAllRows();

// Replaces every row with these, top first, each with its texts, icon, check
// box and selection; then shows the current counts.
void FillEntryList(const std::vector<StartupEntry>& rows);

// Orders the rows by the sort column's current direction, shows the header
// marker and flips the flag; the list then holds exactly these rows.
void ShowSortedRows(std::vector<StartupEntry> rows, int column);

// Clears every column's header marker and shows the ascending or descending
// marker on this column.
void ShowSortMarker(int column, bool ascending);

} // namespace kv
