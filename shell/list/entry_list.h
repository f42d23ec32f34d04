// The entry list view of the main window: its rows (entry_rows.h), the
// selection, focus and selection mark that stay with their rows, filling and
// emptying it, and the sort by a column.
#pragma once

#include "shell/list/entry_rows.h"

#include <string>
#include <vector>

namespace kv {

// Inserts one row at the top: the title and icon, then the command, the status
// "Остановлено" and the location string. The new row is unchecked.
void AddEntryRow(const std::string& title, const std::string& command, const std::string& location,
                 int icon);

// The selection and the focus. Every read is a message to the list, so the
// worker thread may call these too.
int SelectedCount();
int FirstSelectedRow(); // -1 when none is selected
std::vector<int> SelectedRows();
int FocusedRow(); // -1 when no row has the focus
bool RowSelected(int row);
void SelectAllRows();

// A row's entry with its selection.
StartupEntry ReadRow(int row);
std::vector<StartupEntry> ReadAllRows();

// Every row gone, and the list told so.
void ClearEntryList();
// One row gone; the selection and focus of the others stay with them.
void DeleteEntryRow(int row);
// Replaces every row with these, top first, each with its texts, icon, check
// box and selection.
void FillEntryList(const std::vector<StartupEntry>& rows);

// While an object of this type lives, rows whose box or status changes are
// not drawn one by one: the list is drawn once, whole, when it goes.
class ListDrawingPaused {
  public:
    ListDrawingPaused();
    ~ListDrawingPaused();
    ListDrawingPaused(const ListDrawingPaused&) = delete;
    ListDrawingPaused& operator=(const ListDrawingPaused&) = delete;
};

// Puts the rows in order by the column, ascending or descending, each row
// keeping its box, selection and focus, and shows the header marker of that
// direction.
void SortRows(int column, bool ascending);

// A click on a column header: the rows sorted by it in the direction its
// flag names, and the flag flipped for the next click.
void SortEntryList(int column);

// Clears every column's header marker and shows the ascending or descending
// marker on this column.
void ShowSortMarker(int column, bool ascending);

} // namespace kv
