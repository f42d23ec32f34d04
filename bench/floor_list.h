// The floors' list: a bare report list view made as the program makes its
// entry list, filled with plain platform calls (or, when virtual, given its
// rows by its parent), and the rows it shows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kvbench {

// One row as a floor shows it.
struct FloorRow {
    std::string title;
    std::string command;
    std::string status;
    std::string location;
    bool checked = true;
    int icon = 0;      // the index the program's list shows
    int iconSlot = -1; // the refresh floor's: index into its files, -1 the drive icon
};

// The rows of the program's list as they stand, top first.
std::vector<FloorRow> LearnRows();

// The class of the floor list's parent window.
extern const char* const kFloorWindowClass;

// A hidden top-level window holding the list; destroying the parent takes
// the list with it.
struct FloorList {
    HWND parent = nullptr;
    HWND list = nullptr; // null when either window could not be made
};

// The list made as the program makes its entry list: the same styles, the
// system image list of small icons, four columns. With `virtualRows` the
// list holds no rows of its own and its parent gives them from the rows set
// by SetVirtualFloorRows, as the program's does; otherwise its parent does
// nothing with the notifications.
FloorList CreateFloorList(HINSTANCE instance, bool virtualRows = false);
void SetVirtualFloorRows(std::vector<FloorRow> rows);

// Replaces the list's rows with these, redraw off: four texts, the icon and
// the check box of each; the item data is the row's index.
void InsertFloorRows(HWND list, const std::vector<FloorRow>& rows, const std::vector<int>& icons);
// The rows with the icons the program showed (for lists whose filling is
// not timed).
void FillFloorList(HWND list, const std::vector<FloorRow>& rows);
void SetFloorCheck(HWND list, int row, bool checked);

int FloorRowCount(HWND list);
int FloorCheckedCount(HWND list);

} // namespace kvbench
