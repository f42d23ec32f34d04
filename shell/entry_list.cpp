#include "shell/entry_list.h"

#include "base/strings.h"
#include "base/text.h"
#include "entries/command_path.h"
#include "shell/app_state.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/notifications.h"
#include "shell/sort_order.h"
#include "resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <string_view>

namespace kv {

namespace {

constexpr UINT kStateImageUnchecked = 1;
constexpr UINT kStateImageChecked = 2;

// Whether the caller runs on the list's own thread: only that thread reads
// the rows directly; another asks the list, which the window's thread
// answers.
bool OnListThread() {
    return GetWindowThreadProcessId(g_app.entryList, nullptr) == GetCurrentThreadId();
}

AppState::ListRow* RowAt(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= g_app.rows.size()) {
        return nullptr;
    }
    return &g_app.rows[static_cast<std::size_t>(row)];
}

UINT StateImage(int row) {
    const AppState::ListRow* at = RowAt(row);
    return at == nullptr ? 0 : (at->checked ? kStateImageChecked : kStateImageUnchecked);
}

std::string_view TitleOf(const AppState::ListRow& row) {
    return std::string_view(g_app.rowTextBlock).substr(row.at, row.titleLength);
}

std::string_view CommandOf(const AppState::ListRow& row) {
    return std::string_view(g_app.rowTextBlock).substr(row.at + row.titleLength, row.commandLength);
}

std::string_view LocationOf(const AppState::ListRow& row) {
    return std::string_view(g_app.rowTextBlock)
        .substr(row.at + row.titleLength + row.commandLength, row.locationLength);
}

const std::string& RunningText() {
    static const std::string running = LoadText(IDS_STATUS_RUNNING);
    return running;
}

const std::string& StatusOf(const AppState::ListRow& row) {
    static const std::string stopped = LoadText(IDS_STATUS_STOPPED);
    return row.running ? RunningText() : stopped;
}

std::string_view ColumnOf(const AppState::ListRow& row, int column) {
    switch (column) {
    case kColumnTitle:
        return TitleOf(row);
    case kColumnCommand:
        return CommandOf(row);
    case kColumnStatus:
        return StatusOf(row);
    default:
        return LocationOf(row);
    }
}

// A row for the entry: its texts go to the end of the block.
AppState::ListRow MakeRow(const StartupEntry& entry, bool checked) {
    AppState::ListRow row;
    row.at = g_app.rowTextBlock.size();
    row.titleLength = entry.title.size();
    row.commandLength = entry.command.size();
    row.locationLength = entry.location.size();
    row.icon = entry.icon;
    row.checked = checked;
    row.running = entry.status == RunningText();
    g_app.rowTextBlock += entry.title;
    g_app.rowTextBlock += entry.command;
    g_app.rowTextBlock += entry.location;
    return row;
}

void RedrawRow(int row) {
    SendMessageA(g_app.entryList, LVM_REDRAWITEMS, static_cast<WPARAM>(row),
                 static_cast<LPARAM>(row));
}

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
    const bool busy = g_app.ListBusy;
    g_app.ListBusy = true;
    for (int row : before.selected) {
        SetRowState(row, 0, LVIS_SELECTED);
    }
    if (before.focused >= 0) {
        SetRowState(before.focused, 0, LVIS_FOCUSED);
    }
    SendMessageA(g_app.entryList, LVM_SETITEMCOUNT, g_app.rows.size(), LVSICF_NOSCROLL);
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
    g_app.ListBusy = busy;
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

// Inserts a row with its four texts and icon at the position, with an
// unchecked box, unselected.
void InsertRow(int position, const StartupEntry& entry) {
    const Marks before = ReadMarks();
    g_app.rows.insert(g_app.rows.begin() + position, MakeRow(entry, false));
    ShowRows(before, ShiftMarks(before, position, 1));
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
    entry.status = LoadText(IDS_STATUS_STOPPED);
    entry.location = location;
    entry.icon = icon;
    InsertRow(0, entry);
}

namespace {

int DriveIconIndex() {
    SHFILEINFOA drive{};
    SHGetFileInfoA("C:\\", 0, &drive, sizeof(drive), SHGFI_ICON | SHGFI_SYSICONINDEX);
    if (drive.hIcon != nullptr) {
        DestroyIcon(drive.hIcon);
    }
    return drive.iIcon;
}

// The shell's icon index for an existing file; -1 when it has no icon for it.
int ShellIconIndex(const std::string& path) {
    SHFILEINFOA info{};
    SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SYSICONINDEX);
    if (info.hIcon == nullptr) {
        return -1;
    }
    DestroyIcon(info.hIcon);
    return info.iIcon;
}

} // namespace

int FileIconIndex(const std::string& path) {
    return IconLookup()(path);
}

int IconLookup::operator()(const std::string& path) {
    // A file that does not exist gets the icon of the drive "C:\".
    int index = -1;
    if (PathExists(path)) {
        const std::string key = LowerAscii(path);
        const auto found = known_.find(key);
        if (found != known_.end()) {
            return found->second;
        }
        index = ShellIconIndex(path);
        if (index >= 0) {
            known_[key] = index;
            return index;
        }
    }
    if (drive_ < 0) {
        drive_ = DriveIconIndex();
    }
    return drive_;
}

int RowCount() {
    return static_cast<int>(g_app.rows.size());
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

namespace {

// The text as the list shows it, read with as many messages as it needs.
std::string ListText(int row, int column) {
    std::string buffer(512, '\0');
    for (;;) {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = &buffer[0];
        item.cchTextMax = static_cast<int>(buffer.size());
        const int length = static_cast<int>(SendMessageA(g_app.entryList, LVM_GETITEMTEXTA,
                                                         static_cast<WPARAM>(row),
                                                         reinterpret_cast<LPARAM>(&item)));
        // A text that filled the buffer may have been cut: read it again.
        if (length < 0 || static_cast<std::size_t>(length) + 1 < buffer.size()) {
            buffer.resize(length < 0 ? 0 : static_cast<std::size_t>(length));
            return buffer;
        }
        buffer.assign(buffer.size() * 4, '\0');
    }
}

StartupEntry TextsOf(const AppState::ListRow& row) {
    StartupEntry entry;
    entry.title = TitleOf(row);
    entry.command = CommandOf(row);
    entry.location = LocationOf(row);
    return entry;
}

} // namespace

std::string RowText(int row, int column) {
    if (column < kColumnTitle || column > kColumnLocation) {
        return std::string();
    }
    if (!OnListThread()) {
        return ListText(row, column);
    }
    const AppState::ListRow* at = RowAt(row);
    return at == nullptr ? std::string() : std::string(ColumnOf(*at, column));
}

void ProvideRowItem(LVITEMA& item) {
    const AppState::ListRow* row = RowAt(item.iItem);
    if (row == nullptr) {
        return;
    }
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        const std::string_view text =
            item.iSubItem >= kColumnTitle && item.iSubItem <= kColumnLocation
                ? ColumnOf(*row, item.iSubItem)
                : std::string_view();
        // As much as the asker's buffer holds; a reader that finds it full
        // asks again with a larger one.
        const std::size_t length = text.size() < static_cast<std::size_t>(item.cchTextMax - 1)
                                       ? text.size()
                                       : static_cast<std::size_t>(item.cchTextMax - 1);
        if (length > 0) {
            std::memcpy(item.pszText, text.data(), length);
        }
        item.pszText[length] = '\0';
    }
    if ((item.mask & LVIF_IMAGE) != 0 && item.iSubItem == kColumnTitle) {
        item.iImage = row->icon;
    }
    if ((item.mask & LVIF_STATE) != 0 && (item.stateMask & LVIS_STATEIMAGEMASK) != 0) {
        item.state =
            (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(StateImage(item.iItem));
    }
}

bool RowChecked(int row) {
    return StateImage(row) == kStateImageChecked;
}

bool RowUnchecked(int row) {
    return StateImage(row) == kStateImageUnchecked;
}

bool RowSelected(int row) {
    return (SendMessageA(g_app.entryList, LVM_GETITEMSTATE, static_cast<WPARAM>(row),
                         LVIS_SELECTED) &
            LVIS_SELECTED) != 0;
}

void SetRowBox(int row, bool checked) {
    if (AppState::ListRow* at = RowAt(row)) {
        at->checked = checked;
        RedrawRow(row);
    }
}

void SetRowRunning(int row, bool running) {
    if (AppState::ListRow* at = RowAt(row)) {
        at->running = running;
        RedrawRow(row);
    }
}

int FindRowByTitle(const std::string& wanted, bool partial, int start) {
    const int count = RowCount();
    if (count == 0) {
        return -1;
    }
    const int first = start < 0 || start >= count ? 0 : start;
    for (int k = 0; k < count; ++k) {
        const int row = (first + k) % count;
        const std::string_view title = TitleOf(g_app.rows[static_cast<std::size_t>(row)]);
        if (title.size() < wanted.size() || (!partial && title.size() != wanted.size())) {
            continue;
        }
        if (wanted.empty() || CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, title.data(),
                                             static_cast<int>(wanted.size()), wanted.data(),
                                             static_cast<int>(wanted.size())) == CSTR_EQUAL) {
            return row;
        }
    }
    return -1;
}

StartupEntry ReadRow(int row) {
    const AppState::ListRow* at = RowAt(row);
    if (at == nullptr) {
        return StartupEntry();
    }
    StartupEntry entry = TextsOf(*at);
    entry.status = StatusOf(*at);
    entry.icon = at->icon;
    entry.checked = at->checked;
    entry.selected = RowSelected(row);
    return entry;
}

StartupEntry RowTexts(int row) {
    const AppState::ListRow* at = RowAt(row);
    return at == nullptr ? StartupEntry() : TextsOf(*at);
}

std::vector<StartupEntry> RowsOfKind(RowKind kind) {
    std::vector<StartupEntry> rows;
    if (kind == RowKind::Selected) {
        for (int row : SelectedRows()) {
            rows.push_back(RowTexts(row));
        }
        return rows;
    }
    for (const AppState::ListRow& row : g_app.rows) {
        if (row.checked == (kind == RowKind::Enabled)) {
            rows.push_back(TextsOf(row));
        }
    }
    return rows;
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
    std::vector<AppState::ListRow>().swap(g_app.rows);
    std::string().swap(g_app.rowTextBlock);
}

void DeleteEntryRow(int row) {
    if (RowAt(row) == nullptr) {
        return;
    }
    const Marks before = ReadMarks();
    g_app.rows.erase(g_app.rows.begin() + row);
    ShowRows(before, ShiftMarks(before, row, -1));
}

void FillEntryList(const std::vector<StartupEntry>& rows) {
    HWND list = g_app.entryList;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    ClearEntryList();
    g_app.rows.reserve(rows.size());
    std::size_t textSize = 0;
    for (const StartupEntry& entry : rows) {
        textSize += entry.title.size() + entry.command.size() + entry.location.size();
    }
    g_app.rowTextBlock.reserve(textSize);
    Marks marks;
    for (const StartupEntry& entry : rows) {
        if (entry.selected) {
            marks.selected.push_back(static_cast<int>(g_app.rows.size()));
        }
        g_app.rows.push_back(MakeRow(entry, entry.checked));
    }
    ShowRows(Marks(), marks);
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateCountText();
    UpdateSelectionCommands(g_app.mainWindow != nullptr ? GetMenu(g_app.mainWindow) : nullptr);
}

void ShowSortedRows(std::vector<StartupEntry> rows, int column) {
    const bool ascending = g_app.sortAscending[column];
    std::vector<std::string> keys;
    keys.reserve(rows.size());
    for (const StartupEntry& entry : rows) {
        switch (column) {
        case kColumnTitle:
            keys.push_back(entry.title);
            break;
        case kColumnCommand:
            keys.push_back(entry.command);
            break;
        case kColumnStatus:
            keys.push_back(entry.status);
            break;
        default:
            keys.push_back(entry.location);
            break;
        }
    }
    const std::vector<std::size_t> order = ExchangeSortOrder(keys, ascending ? 1 : -1);
    std::vector<StartupEntry> sorted;
    sorted.reserve(rows.size());
    for (std::size_t index : order) {
        sorted.push_back(std::move(rows[index]));
    }
    FillEntryList(sorted);

    ShowSortMarker(column, ascending);
    g_app.sortAscending[column] = !ascending;
}

void ShowSortMarker(int column, bool ascending) {
    for (int other = 0; other < 4; ++other) {
        SetHeaderMarker(other, -1);
    }
    // Image 1 of the marker list is the ascending marker, image 0 the descending one.
    SetHeaderMarker(column, ascending ? 1 : 0);
}

void SortEntryList(int column) {
    if (column < 0 || column > 3) {
        return;
    }
    g_app.ListBusy = true;
    const bool ascending = g_app.sortAscending[column];
    // The rows are put in the exchange order; each keeps its texts, icon,
    // box, selection and focus.
    std::vector<std::string> keys;
    keys.reserve(g_app.rows.size());
    for (const AppState::ListRow& row : g_app.rows) {
        keys.emplace_back(ColumnOf(row, column));
    }
    const std::vector<std::size_t> order = ExchangeSortOrder(keys, ascending ? 1 : -1);
    std::vector<int> placeOf(order.size());
    std::vector<AppState::ListRow> sorted;
    sorted.reserve(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        placeOf[order[k]] = static_cast<int>(k);
        sorted.push_back(g_app.rows[order[k]]);
    }
    const Marks before = ReadMarks();
    const Marks after = MovedMarks(before, [&placeOf](int row) {
        return row >= 0 && static_cast<std::size_t>(row) < placeOf.size()
                   ? placeOf[static_cast<std::size_t>(row)]
                   : -1;
    });
    g_app.rows = std::move(sorted);
    ShowRows(before, after);
    ShowSortMarker(column, ascending);
    g_app.sortAscending[column] = !ascending;
    g_app.ListBusy = false;
}

void SelectAllRows() {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(g_app.entryList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&item));
}

void ShowStatusText(const std::string& text) {
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void UpdateCountText() {
    const int total = RowCount();
    int disabled = 0;
    for (const AppState::ListRow& row : g_app.rows) {
        disabled += row.checked ? 0 : 1;
    }
    const std::string text = LoadText(IDS_COUNT_TOTAL) + std::to_string(total) + " (" +
                             LoadText(IDS_COUNT_DISABLED) + std::to_string(disabled) + ", " +
                             LoadText(IDS_COUNT_SELECTED) + std::to_string(SelectedCount()) + ")";
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text.c_str()));
    // The right part follows its text: a longer count widens it.
    if (g_app.statusBar != nullptr) {
        RECT bar{};
        GetClientRect(g_app.statusBar, &bar);
        SetStatusBarParts(bar.right);
    }
}

} // namespace kv
