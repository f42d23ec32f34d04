#include "bench/floor_list.h"

#include "base/strings.h"
#include "shell/list/entry_list.h"
#include "resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace kvbench {

const char* const kFloorWindowClass = "KelvorinBenchFloor";

namespace {

// The rows a virtual floor list shows: its parent gives their texts, icons
// and boxes when the list asks.
std::vector<FloorRow> g_virtualRows;

void ProvideFloorItem(LVITEMA& item) {
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= g_virtualRows.size()) {
        return;
    }
    const FloorRow& row = g_virtualRows[static_cast<std::size_t>(item.iItem)];
    if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        const std::string& text = item.iSubItem == 0   ? row.title
                                  : item.iSubItem == 1 ? row.command
                                  : item.iSubItem == 2 ? row.status
                                                       : row.location;
        const std::size_t length =
            std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
        std::memcpy(item.pszText, text.data(), length);
        item.pszText[length] = '\0';
    }
    if ((item.mask & LVIF_IMAGE) != 0) {
        item.iImage = row.icon;
    }
    if ((item.mask & LVIF_STATE) != 0) {
        item.state = INDEXTOSTATEIMAGEMASK(row.checked ? 2 : 1);
    }
}

LRESULT CALLBACK FloorParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY &&
        reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(LVN_GETDISPINFOA)) {
        ProvideFloorItem(reinterpret_cast<NMLVDISPINFOA*>(lParam)->item);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void InsertFloorColumns(HWND list) {
    const int widths[4] = {200, 400, 100, 260};
    for (int column = 0; column < 4; ++column) {
        char heading[] = "Column";
        LVCOLUMNA item{};
        item.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        item.pszText = heading;
        item.cx = widths[column];
        item.iSubItem = column;
        SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
    }
}

void SetFloorSubitem(HWND list, int row, int column, const std::string& text) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

} // namespace

std::vector<FloorRow> LearnRows() {
    std::vector<FloorRow> rows;
    for (const kv::StartupEntry& entry : kv::ReadAllRows()) {
        FloorRow row;
        row.title = entry.title;
        row.command = entry.command;
        row.status = kv::LoadText(entry.running ? IDS_STATUS_RUNNING : IDS_STATUS_STOPPED);
        row.location = entry.location;
        row.checked = entry.checked;
        row.icon = entry.icon;
        rows.push_back(row);
    }
    return rows;
}

FloorList CreateFloorList(HINSTANCE instance, bool virtualRows) {
    FloorList floor;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = FloorParentProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kFloorWindowClass;
    RegisterClassA(&windowClass);
    floor.parent = CreateWindowExA(0, windowClass.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0,
                                   1000, 700, nullptr, nullptr, instance, nullptr);
    if (floor.parent == nullptr) {
        return floor;
    }
    HWND list = CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, WC_LISTVIEWA, "",
                                WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS |
                                    (virtualRows ? LVS_OWNERDATA : 0),
                                0, 0, 980, 600, floor.parent, nullptr, instance, nullptr);
    const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_HEADERDRAGDROP |
                           LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    if (virtualRows) {
        SendMessageA(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    }
    SHFILEINFOA info{};
    const HIMAGELIST system = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(system));
    InsertFloorColumns(list);
    floor.list = list;
    return floor;
}

void SetVirtualFloorRows(std::vector<FloorRow> rows) {
    g_virtualRows = std::move(rows);
}

void SetFloorCheck(HWND list, int row, bool checked) {
    LVITEMA item{};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void InsertFloorRows(HWND list, const std::vector<FloorRow>& rows, const std::vector<int>& icons) {
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
    SendMessageA(list, LVM_SETITEMCOUNT, rows.size(), LVSICF_NOINVALIDATEALL);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FloorRow& entry = rows[i];
        LVITEMA item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(entry.title.c_str());
        item.iImage = icons[i];
        item.lParam = static_cast<LPARAM>(i);
        const int row = static_cast<int>(
            SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        if (row < 0) {
            continue;
        }
        SetFloorSubitem(list, row, 1, entry.command);
        SetFloorSubitem(list, row, 2, entry.status);
        SetFloorSubitem(list, row, 3, entry.location);
        // A list with check boxes inserts every item unchecked.
        if (entry.checked) {
            SetFloorCheck(list, row, true);
        }
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void FillFloorList(HWND list, const std::vector<FloorRow>& rows) {
    std::vector<int> icons;
    for (const FloorRow& row : rows) {
        icons.push_back(row.icon);
    }
    InsertFloorRows(list, rows, icons);
}

int FloorRowCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

int FloorCheckedCount(HWND list) {
    int checked = 0;
    for (int row = 0; row < FloorRowCount(list); ++row) {
        const UINT state = static_cast<UINT>(
            SendMessageA(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
        checked += (state & LVIS_STATEIMAGEMASK) >> 12 == 2 ? 1 : 0;
    }
    return checked;
}

} // namespace kvbench
