#include "shell/entry_list.h"

#include "entries/command_path.h"
#include "entries/text.h"
#include "shell/app_state.h"
#include "shell/commands.h"
#include "shell/main_window.h"
#include "shell/sort_order.h"
#include "shell/strings.h"
#include "resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>
#include <unordered_map>

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

// Keeps a new row's title, command and location, and gives the row its
// number; the list asks for the texts by that number.
LPARAM KeepRowTexts(const StartupEntry& entry) {
    const LPARAM id = ++g_app.lastRowId;
    if (g_app.rowTextSpans.empty()) {
        g_app.firstRowNumber = id;
    }
    const std::size_t place = static_cast<std::size_t>(id - g_app.firstRowNumber);
    if (place >= g_app.rowTextSpans.size()) {
        g_app.rowTextSpans.resize(place + 1);
    }
    AppState::RowTextSpans& spans = g_app.rowTextSpans[place];
    spans.at = g_app.rowTextBlock.size();
    spans.titleLength = entry.title.size();
    spans.commandLength = entry.command.size();
    spans.locationLength = entry.location.size();
    spans.present = true;
    g_app.rowTextBlock += entry.title;
    g_app.rowTextBlock += entry.command;
    g_app.rowTextBlock += entry.location;
    return id;
}

// Inserts a row with its four texts and icon at the position; returns its
// index. With `boxAndSelection` the row comes with the entry's check box and
// selection, else with the list's own default (an unchecked box).
int InsertRow(int position, const StartupEntry& entry, bool boxAndSelection = false) {
    const LPARAM id = KeepRowTexts(entry);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = position;
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.iImage = entry.icon;
    item.lParam = id;

    const int row = static_cast<int>(
        SendMessageA(g_app.entryList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    if (row < 0) {
        g_app.rowTextSpans[static_cast<std::size_t>(id - g_app.firstRowNumber)].present = false;
        return row;
    }
    // The list gives a new row an unchecked box whatever the insertion asks,
    // so the box and the selection are set afterwards.
    if (boxAndSelection) {
        LVITEMA state{};
        state.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED;
        state.state =
            INDEXTOSTATEIMAGEMASK(entry.checked ? kStateImageChecked : kStateImageUnchecked) |
            (entry.selected ? LVIS_SELECTED : 0);
        SendMessageA(g_app.entryList, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&state));
    }
    LVITEMA subitem{};
    subitem.pszText = LPSTR_TEXTCALLBACKA;
    for (int column : {kColumnCommand, kColumnLocation}) {
        subitem.iSubItem = column;
        SendMessageA(g_app.entryList, LVM_SETITEMTEXTA, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&subitem));
    }
    SetSubitemText(row, kColumnStatus, entry.status);
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

namespace {

// A row's number (lParam) with its check-box picture and selection, in one
// message.
struct RowState {
    LPARAM id = 0;
    UINT image = 0;
    bool selected = false;
};

RowState StateOf(int row) {
    LVITEMA item{};
    item.mask = LVIF_PARAM | LVIF_STATE;
    item.iItem = row;
    item.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED;
    SendMessageA(g_app.entryList, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    RowState state;
    state.id = item.lParam;
    state.image = (item.state & LVIS_STATEIMAGEMASK) >> 12;
    state.selected = (item.state & LVIS_SELECTED) != 0;
    return state;
}

// A row's kept texts, valid until the next row is inserted.
struct CachedRowTexts {
    std::string_view title;
    std::string_view command;
    std::string_view location;
    std::string_view column(int index) const {
        return index == kColumnTitle ? title : (index == kColumnCommand ? command : location);
    }
};

std::optional<CachedRowTexts> CachedTexts(LPARAM id) {
    const std::size_t place = static_cast<std::size_t>(id - g_app.firstRowNumber);
    if (id < g_app.firstRowNumber || place >= g_app.rowTextSpans.size() ||
        !g_app.rowTextSpans[place].present) {
        return std::nullopt;
    }
    const AppState::RowTextSpans& spans = g_app.rowTextSpans[place];
    const std::string_view block(g_app.rowTextBlock);
    CachedRowTexts texts;
    texts.title = block.substr(spans.at, spans.titleLength);
    texts.command = block.substr(spans.at + spans.titleLength, spans.commandLength);
    texts.location =
        block.substr(spans.at + spans.titleLength + spans.commandLength, spans.locationLength);
    return texts;
}

// The text as the list holds it, read with as many messages as it needs.
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

StartupEntry TextsOf(int row, LPARAM id) {
    StartupEntry entry;
    if (const std::optional<CachedRowTexts> texts = CachedTexts(id)) {
        entry.title = texts->title;
        entry.command = texts->command;
        entry.location = texts->location;
    } else {
        entry.title = ListText(row, kColumnTitle);
        entry.command = ListText(row, kColumnCommand);
        entry.location = ListText(row, kColumnLocation);
    }
    return entry;
}

} // namespace

std::string RowText(int row, int column) {
    if (column != kColumnStatus) {
        if (const std::optional<CachedRowTexts> texts = CachedTexts(StateOf(row).id)) {
            return std::string(texts->column(column));
        }
    }
    return ListText(row, column);
}

void ForgetRowTexts(int row, LPARAM id) {
    const std::size_t place = static_cast<std::size_t>(id - g_app.firstRowNumber);
    if (id >= g_app.firstRowNumber && place < g_app.rowTextSpans.size()) {
        g_app.rowTextSpans[place].present = false;
    }
    std::vector<LPARAM>& order = g_app.rowOrder;
    const std::size_t at = static_cast<std::size_t>(row);
    if (row >= 0 && at < order.size() && order[at] == id) {
        order.erase(order.begin() + static_cast<std::ptrdiff_t>(row));
    } else {
        order.clear(); // out of step: the next sort asks the list
    }
}

void ForgetAllRowTexts() {
    std::string().swap(g_app.rowTextBlock);
    std::vector<AppState::RowTextSpans>().swap(g_app.rowTextSpans);
    g_app.firstRowNumber = 0;
    g_app.rowOrder.clear();
}

void ProvideRowText(LVITEMA& item) {
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
        return;
    }
    std::string_view text;
    if (item.iSubItem != kColumnStatus && item.iSubItem >= 0 && item.iSubItem <= 3) {
        if (const std::optional<CachedRowTexts> texts = CachedTexts(item.lParam)) {
            text = texts->column(item.iSubItem);
        }
    }
    // As much as the asker's buffer holds; a reader that finds it full asks
    // again with a larger one.
    const std::size_t length = text.size() < static_cast<std::size_t>(item.cchTextMax - 1)
                                   ? text.size()
                                   : static_cast<std::size_t>(item.cchTextMax - 1);
    if (length > 0) {
        std::memcpy(item.pszText, text.data(), length);
    }
    item.pszText[length] = '\0';
}

void NoteInsertedRow(int row, LPARAM id) {
    std::vector<LPARAM>& order = g_app.rowOrder;
    const std::size_t at = static_cast<std::size_t>(row);
    if (row >= 0 && at <= order.size()) {
        order.insert(order.begin() + static_cast<std::ptrdiff_t>(row), id);
    } else {
        order.clear();
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
    return TextsOf(row, StateOf(row).id);
}

std::vector<StartupEntry> RowsOfKind(RowKind kind) {
    std::vector<StartupEntry> rows;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        const RowState state = StateOf(row);
        const bool wanted = kind == RowKind::Enabled    ? state.image == kStateImageChecked
                            : kind == RowKind::Disabled ? state.image == kStateImageUnchecked
                                                        : state.selected;
        if (wanted) {
            rows.push_back(TextsOf(row, state.id));
        }
    }
    return rows;
}

bool DisabledRowsMatch(const std::vector<StartupEntry>& stored, int row, bool rowStored,
                       int* index) {
    std::size_t next = 0; // the stored entry the next disabled row must carry
    int disabledAbove = 0;
    const int count = RowCount();
    for (int at = 0; at < count; ++at) {
        const RowState state = StateOf(at);
        if (at == row) {
            *index = disabledAbove;
            if (!rowStored) {
                ++disabledAbove;
                continue;
            }
        } else if (state.image != kStateImageUnchecked) {
            continue;
        }
        ++disabledAbove;
        if (next == stored.size()) {
            return false;
        }
        const StartupEntry& entry = stored[next++];
        if (const std::optional<CachedRowTexts> texts = CachedTexts(state.id)) {
            if (texts->title != entry.title || texts->command != entry.command ||
                texts->location != entry.location) {
                return false;
            }
        } else if (ListText(at, kColumnTitle) != entry.title ||
                   ListText(at, kColumnCommand) != entry.command ||
                   ListText(at, kColumnLocation) != entry.location) {
            return false;
        }
    }
    return next == stored.size();
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
        if (InsertRow(position, entry, true) >= 0) {
            ++position;
        }
    }
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

namespace {

// The place of each row's number in the new order, looked up by number.
struct Positions {
    LPARAM first = 0;
    std::vector<std::size_t> of; // by number - first
};

int CALLBACK ByPosition(LPARAM first, LPARAM second, LPARAM positions) {
    const Positions& place = *reinterpret_cast<const Positions*>(positions);
    const std::size_t a = place.of[static_cast<std::size_t>(first - place.first)];
    const std::size_t b = place.of[static_cast<std::size_t>(second - place.first)];
    return a < b ? -1 : (a > b ? 1 : 0);
}

// The rows' numbers top first: the kept order when it is whole and in step
// with the list, else read from the list.
std::vector<LPARAM> RowNumbers(int count) {
    const std::vector<LPARAM>& kept = g_app.rowOrder;
    if (kept.size() == static_cast<std::size_t>(count) &&
        (count == 0 || (kept.front() == StateOf(0).id && kept.back() == StateOf(count - 1).id &&
                        kept[static_cast<std::size_t>(count / 2)] == StateOf(count / 2).id))) {
        return kept;
    }
    std::vector<LPARAM> ids(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        ids[static_cast<std::size_t>(row)] = StateOf(row).id;
    }
    return ids;
}

} // namespace

void SortEntryList(int column) {
    if (column < 0 || column > 3) {
        return;
    }
    g_app.ListBusy = true;
    const bool ascending = g_app.sortAscending[column];
    // The rows are put in the exchange order where they are: each keeps its
    // texts, icon, box and selection, and nothing is inserted anew.
    const int count = RowCount();
    const std::vector<LPARAM> ids = RowNumbers(count);
    std::vector<std::string> keys(static_cast<std::size_t>(count));
    Positions place;
    bool numbered = true;
    if (count > 0) {
        const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
        place.first = *low;
        // Numbers are given one after another, so they span about the rows.
        numbered = *low > 0 && static_cast<std::size_t>(*high - *low) < 4 * ids.size() + 64;
        place.of.assign(numbered ? static_cast<std::size_t>(*high - *low) + 1 : 0, ids.size());
    }
    for (int row = 0; numbered && row < count; ++row) {
        const std::size_t at = static_cast<std::size_t>(row);
        const std::optional<CachedRowTexts> texts =
            column == kColumnStatus ? std::nullopt : CachedTexts(ids[at]);
        keys[at] = texts ? std::string(texts->column(column)) : ListText(row, column);
    }
    const std::vector<std::size_t> order =
        numbered ? ExchangeSortOrder(keys, ascending ? 1 : -1) : std::vector<std::size_t>();
    std::vector<LPARAM> sorted(order.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        sorted[k] = ids[order[k]];
        std::size_t& slot = place.of[static_cast<std::size_t>(sorted[k] - place.first)];
        numbered = numbered && slot == ids.size(); // each number once
        slot = k;
    }
    if (!numbered) {
        // Rows without numbers of their own: read and inserted anew.
        ShowSortedRows(ReadAllRows(), column);
        g_app.ListBusy = false;
        return;
    }
    SendMessageA(g_app.entryList, LVM_SORTITEMS, reinterpret_cast<WPARAM>(&place),
                 reinterpret_cast<LPARAM>(&ByPosition));
    g_app.rowOrder = std::move(sorted);
    ShowSortMarker(column, ascending);
    g_app.sortAscending[column] = !ascending;
    g_app.ListBusy = false;
}

namespace {

// Sets every box that shows `from` to `to`, one row at a time; each change
// takes effect through the list's own notification. The counts and the
// commands follow once, at the end.
void ChangeAllBoxes(UINT from, UINT to) {
    const bool bulk = g_app.BulkCheck;
    g_app.BulkCheck = true;
    g_app.BulkStoreInStep = false;
    g_app.BulkDisabledAbove = 0;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        UINT image = StateImage(row);
        if (image == from) {
            SetStateImage(row, to);
            image = StateImage(row); // as the change left it
        }
        // The rows below count the disabled ones above them.
        if (image == kStateImageUnchecked) {
            ++g_app.BulkDisabledAbove;
        }
    }
    g_app.BulkStoreInStep = false;
    g_app.BulkCheck = bulk;
    if (!bulk) {
        UpdateCountText();
    }
}

} // namespace

void CheckAllRows() {
    ChangeAllBoxes(kStateImageUnchecked, kStateImageChecked);
}

void UncheckAllRows() {
    ChangeAllBoxes(kStateImageChecked, kStateImageUnchecked);
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
