#include "shell/entry_list.h"

#include "entries/command_path.h"
#include "entries/text.h"
#include "shell/app_state.h"
#include "shell/main_window.h"
#include "shell/sort_order.h"
#include "shell/strings.h"
#include "resource.h"

#include <commctrl.h>
#include <shellapi.h>

namespace kv {

namespace {

constexpr UINT kStateImageUnchecked = 1;
constexpr UINT kStateImageChecked = 2;

UINT StateImage(int row) {
    const UINT state = static_cast<UINT>(SendMessageA(
        g_app.entryList, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
    return (state & LVIS_STATEIMAGEMASK) >> 12;
}

void SetStateImage(int row, UINT image) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(image);
    SendMessageA(g_app.entryList, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

void SetSubitemText(int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(g_app.entryList, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

// Inserts a row with its four texts and icon at the position; returns its index.
int InsertRow(int position, const StartupEntry& entry) {
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = position;
    item.pszText = const_cast<char*>(entry.title.c_str());
    item.iImage = entry.icon;
    const int row = static_cast<int>(
        SendMessageA(g_app.entryList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) {
        return row;
    }
    SetSubitemText(row, kColumnCommand, entry.command);
    SetSubitemText(row, kColumnStatus, entry.status);
    SetSubitemText(row, kColumnLocation, entry.location);
    return row;
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
    return static_cast<int>(SendMessageA(g_app.entryList, LVM_GETITEMCOUNT, 0, 0));
}

int SelectedCount() {
    return static_cast<int>(SendMessageA(g_app.entryList, LVM_GETSELECTEDCOUNT, 0, 0));
}

int FirstSelectedRow() {
    return static_cast<int>(
        SendMessageA(g_app.entryList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

std::string RowText(int row, int column) {
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

StartupEntry ReadRow(int row) {
    StartupEntry entry;
    entry.title = RowText(row, kColumnTitle);
    entry.command = RowText(row, kColumnCommand);
    entry.status = RowText(row, kColumnStatus);
    entry.location = RowText(row, kColumnLocation);
    LVITEMA item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendMessageA(g_app.entryList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    entry.icon = item.iImage;
    entry.checked = RowChecked(row);
    entry.selected = RowSelected(row);
    return entry;
}

StartupEntry RowTexts(int row) {
    StartupEntry entry;
    entry.title = RowText(row, kColumnTitle);
    entry.command = RowText(row, kColumnCommand);
    entry.location = RowText(row, kColumnLocation);
    return entry;
}

std::vector<StartupEntry> RowsOfKind(RowKind kind) {
    std::vector<StartupEntry> rows;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        const bool wanted = kind == RowKind::Enabled    ? RowChecked(row)
                            : kind == RowKind::Disabled ? RowUnchecked(row)
                                                        : RowSelected(row);
        if (wanted) {
            rows.push_back(RowTexts(row));
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

void FillEntryList(const std::vector<StartupEntry>& rows) {
    HWND list = g_app.entryList;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, rows.size(), LVSICF_NOINVALIDATEALL);
    int position = 0;
    for (const StartupEntry& entry : rows) {
        const int row = InsertRow(position, entry);
        if (row < 0) {
            continue;
        }
        ++position;
        SetStateImage(row, entry.checked ? kStateImageChecked : kStateImageUnchecked);
        if (entry.selected) {
            LVITEMA item{};
            item.stateMask = LVIS_SELECTED;
            item.state = LVIS_SELECTED;
            SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                         reinterpret_cast<LPARAM>(&item));
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    UpdateCountText();
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
    ShowSortedRows(ReadAllRows(), column);
    g_app.ListBusy = false;
}

void CheckAllRows() {
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        if (StateImage(row) == kStateImageUnchecked) {
            SetStateImage(row, kStateImageChecked);
        }
    }
}

void UncheckAllRows() {
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        if (StateImage(row) == kStateImageChecked) {
            SetStateImage(row, kStateImageUnchecked);
        }
    }
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
    for (int row = 0; row < total; ++row) {
        if (StateImage(row) == kStateImageUnchecked) {
            ++disabled;
        }
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
