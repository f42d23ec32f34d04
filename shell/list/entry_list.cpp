#include "shell/list/entry_list.h"

#include "shell/frame/app_state.h"
#include "shell/list/sort_order.h"

#include <commctrl.h>

namespace kv {

namespace {

// Where the selection, the focus and the selection mark stand, by row.
struct Marks {
    std::vector<int> selected;
    int focused = -1;
    int mark = -1;
};

Marks ReadMarks() {
    Marks marks;
    marks.selected = SelectedRows();
    marks.focused = FocusedRow();
    marks.mark = static_cast<int>(SendMessageA(g_app.entryList, LVM_GETSELECTIONMARK, 0, 0));
    return marks;
}

void SetRowState(int row, UINT state, UINT mask) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(g_app.entryList, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

// Takes the marks off the rows that carry them now, gives the list the new
// number of rows and puts the marks on the rows they now belong to (-1:
// none). These changes of the rows are not the user's.
void ShowRows(const Marks& before, const Marks& after) {
    FlagScope busy(g_app.ListBusy);
    for (int row : before.selected) {
        SetRowState(row, 0, LVIS_SELECTED);
    }
    if (before.focused >= 0) {
        SetRowState(before.focused, 0, LVIS_FOCUSED);
    }
    SendMessageA(g_app.entryList, LVM_SETITEMCOUNT, static_cast<WPARAM>(RowCount()),
                 LVSICF_NOSCROLL);
    for (int row : after.selected) {
        if (row >= 0) {
            SetRowState(row, LVIS_SELECTED, LVIS_SELECTED);
        }
    }
    if (after.focused >= 0) {
        SetRowState(after.focused, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    SendMessageA(g_app.entryList, LVM_SETSELECTIONMARK, 0, after.mark);
    InvalidateRect(g_app.entryList, nullptr, TRUE);
}

// The marks put where `moved` takes their rows; -1 (no row) stays -1.
template <typename Move> Marks MovedMarks(const Marks& marks, Move moved) {
    Marks after;
    for (int row : marks.selected) {
        after.selected.push_back(moved(row));
    }
    after.focused = moved(marks.focused);
    after.mark = moved(marks.mark);
    return after;
}

// The marks after a row came in at `position` (shift > 0) or went from it
// (shift < 0): the marks below move with their rows; a gone row's marks go.
Marks ShiftMarks(const Marks& marks, int position, int shift) {
    return MovedMarks(marks, [position, shift](int row) {
        if (row < position) {
            return row;
        }
        if (shift < 0 && row == position) {
            return -1;
        }
        return row + shift;
    });
}

// Shows the marker image on the right of a column's heading, or none (-1).
void SetHeaderMarker(int column, int image) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(g_app.entryList, LVM_GETHEADER, 0, 0));
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
    item.mask = HDI_FORMAT | HDI_IMAGE;
    item.fmt |= HDF_BITMAP_ON_RIGHT;
    if (image >= 0) {
        item.fmt |= HDF_IMAGE;
        item.iImage = image;
    } else {
        item.fmt &= ~HDF_IMAGE;
        item.iImage = I_IMAGENONE;
    }
    SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(column),
                 reinterpret_cast<LPARAM>(&item));
}

} // namespace

void AddEntryRow(const std::string& title, const std::string& command, const std::string& location,
                 int icon) {
    StartupEntry entry;
    entry.title = title;
    entry.command = command;
    entry.location = location;
    entry.icon = icon;
    const Marks before = ReadMarks();
    InsertRowAt(0, entry);
    ShowRows(before, ShiftMarks(before, 0, 1));
}

int SelectedCount() {
    return static_cast<int>(SendMessageA(g_app.entryList, LVM_GETSELECTEDCOUNT, 0, 0));
}

int FirstSelectedRow() {
    return static_cast<int>(
        SendMessageA(g_app.entryList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::vector<int> SelectedRows() {
    std::vector<int> rows;
    int row = -1;
    for (;;) {
        row = static_cast<int>(SendMessageA(g_app.entryList, LVM_GETNEXTITEM,
                                            static_cast<WPARAM>(row), LVNI_SELECTED));
        if (row < 0) {
            return rows;
        }
        rows.push_back(row);
    }
}

int FocusedRow() {
    return static_cast<int>(
        SendMessageA(g_app.entryList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

bool RowSelected(int row) {
    return (SendMessageA(g_app.entryList, LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                         LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
}

void SelectAllRows() {
    SetRowState(-1, LVIS_SELECTED, LVIS_SELECTED);
}

StartupEntry ReadRow(int row) {
    StartupEntry entry = RowEntry(row);
    entry.selected = row >= 0 && row < RowCount() && RowSelected(row);
    return entry;
}

std::vector<StartupEntry> ReadAllRows() {
    std::vector<StartupEntry> rows;
    const int count = RowCount();
    rows.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        rows.push_back(ReadRow(row));
    }
    return rows;
}

void ClearEntryList() {
    // The list's notice comes while the rows are still there to be counted.
    SendMessageA(g_app.entryList, LVM_DELETEALLITEMS, 0, 0);
    ReplaceRows({});
}

void DeleteEntryRow(int row) {
    if (row < 0 || row >= RowCount()) {
        return;
    }
    const Marks before = ReadMarks();
    EraseRowAt(row);
    ShowRows(before, ShiftMarks(before, row, -1));
}

void FillEntryList(const std::vector<StartupEntry>& rows) {
    HWND list = g_app.entryList;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ClearEntryList();
    ReplaceRows(rows);
    Marks marks;
    for (std::size_t row = 0; row < rows.size(); ++row) {
        if (rows[row].selected) {
            marks.selected.push_back(static_cast<int>(row));
        }
    }
    ShowRows(Marks(), marks);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

ListDrawingPaused::ListDrawingPaused() {
    PauseRowDrawing(true);
    SendMessageA(g_app.entryList, WM_SETREDRAW, FALSE, 0);
}

ListDrawingPaused::~ListDrawingPaused() {
    PauseRowDrawing(false);
    SendMessageA(g_app.entryList, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(g_app.entryList, nullptr, TRUE);
}

void SortRows(int column, bool ascending) {
    if (column < kColumnTitle || column > kColumnLocation) {
        return;
    }
    FlagScope busy(g_app.ListBusy);
    const std::vector<std::size_t> order =
        ExchangeSortOrder(ColumnTexts(column), ascending ? 1 : -1);
    std::vector<int> placeOf(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        placeOf[order[k]] = static_cast<int>(k);
    }
    const Marks before = ReadMarks();
    const Marks after = MovedMarks(before, [&placeOf](int row) {
        return row >= 0 && static_cast<std::size_t>(row) < placeOf.size()
                   ? placeOf[static_cast<std::size_t>(row)]
                   : -1;
    });
    ReorderRows(order);
    ShowRows(before, after);
    ShowSortMarker(column, ascending);
}

void SortEntryList(int column) {
    if (column < kColumnTitle || column > kColumnLocation) {
        return;
    }
    const bool ascending = g_app.sortAscending[column];
    SortRows(column, ascending);
    g_app.sortAscending[column] = !ascending;
}

void ShowSortMarker(int column, bool ascending) {
    for (int other = 0; other < 4; ++other) {
        SetHeaderMarker(other, -1);
    }
    // Image 1 of the marker list is the ascending marker, image 0 the descending one.
    SetHeaderMarker(column, ascending ? 1 : 0);
}

} // namespace kv
