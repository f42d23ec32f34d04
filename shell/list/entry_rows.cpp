#include "shell/list/entry_rows.h"

#include "base/strings.h"
#include "entries/entry_identity.h"
#include "records/change_snapshot.h"
#include "shell/frame/app_state.h"
#include "shell/list/row_facts.h"
#include "resource.h"

#include <cstring>
#include <map>
#include <string_view>

namespace kv {

namespace {

// One row: where its title, command and location lie in the text block, its
// icon, its box and its running status.
struct ListRow {
    std::size_t at = 0;
    std::size_t titleLength = 0;
    std::size_t commandLength = 0;
    std::size_t locationLength = 0;
    int icon = 0;                // kIconOfCommand until the row first needs it
    bool checked = false;        // state image 2: active in its location; else 1: disabled
    bool running = false;        // status "Выполняется", else "Остановлено"
    bool runningPending = false; // `running` is worked out when first needed
    bool switchedOff = false;    // Windows' own switch says off
    bool task = false;           // a task: only switched, never moved
    bool byPolicy = false;       // a task whose switch a policy holds
    int delaySeconds = 0;        // a delayed entry (in the store): its delay
    int exact = -1;              // its exact name in g_exactNames, or none
};

// The rows, top first, and the texts of all of them one after another.
std::vector<ListRow> g_rows;
std::string g_textBlock;
// The exact names of the few rows whose names the code page cannot carry.
std::vector<std::wstring> g_exactNames;

constexpr UINT kStateImageUnchecked = 1;
constexpr UINT kStateImageChecked = 2;

// Whether the caller runs on the list's own thread: only that thread reads
// the rows directly; another asks the list, which the window's thread
// answers.
bool OnListThread() {
    return GetWindowThreadProcessId(g_app.entryList, nullptr) == GetCurrentThreadId();
}

ListRow* RowAt(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= g_rows.size()) {
        return nullptr;
    }
    return &g_rows[static_cast<std::size_t>(row)];
}

std::string_view TitleOf(const ListRow& row) {
    return std::string_view(g_textBlock).substr(row.at, row.titleLength);
}

std::string_view CommandOf(const ListRow& row) {
    return std::string_view(g_textBlock).substr(row.at + row.titleLength, row.commandLength);
}

std::string_view LocationOf(const ListRow& row) {
    return std::string_view(g_textBlock)
        .substr(row.at + row.titleLength + row.commandLength, row.locationLength);
}

// The program's icon and running status of a row that has not needed them
// yet, worked out now.
void SettleIcon(ListRow& row) {
    if (row.icon == kIconOfCommand) {
        row.icon = CommandIconIndex(std::string(CommandOf(row)));
    }
}

void SettleRunning(ListRow& row) {
    if (row.runningPending) {
        row.runningPending = false;
        row.running = CommandRunning(std::string(CommandOf(row)));
    }
}

// "Отложено на N с", one text for each delay shown.
const std::string& DelayedStatus(int seconds) {
    static std::map<int, std::string> texts;
    std::string& text = texts[seconds];
    if (text.empty()) {
        text = LoadText(IDS_STATUS_DELAYED) + std::to_string(seconds) + LoadText(IDS_DELAY_SECONDS);
    }
    return text;
}

const std::string& StatusOf(ListRow& row) {
    static const std::string running = LoadText(IDS_STATUS_RUNNING);
    static const std::string stopped = LoadText(IDS_STATUS_STOPPED);
    static const std::string switchedOff = LoadText(IDS_STATUS_SWITCHED_OFF);
    static const std::string byPolicy = LoadText(IDS_STATUS_BY_POLICY);
    SettleRunning(row);
    if (row.running) {
        return running;
    }
    if (row.delaySeconds > 0) {
        return DelayedStatus(row.delaySeconds);
    }
    if (row.switchedOff) {
        return row.byPolicy ? byPolicy : switchedOff;
    }
    return stopped;
}

// A delayed entry's box is set: it will start, only later.
bool BoxSet(const ListRow& row) {
    return (row.checked && !row.switchedOff) || row.delaySeconds > 0;
}

std::string_view ColumnOf(ListRow& row, int column) {
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
ListRow MakeRow(const StartupEntry& entry) {
    ListRow row;
    row.at = g_textBlock.size();
    row.titleLength = entry.title.size();
    row.commandLength = entry.command.size();
    row.locationLength = entry.location.size();
    row.icon = entry.icon;
    row.checked = entry.checked;
    row.running = entry.running;
    row.switchedOff = entry.switchedOff;
    row.task = IsTaskLocation(entry.location);
    row.byPolicy = entry.byPolicy;
    row.delaySeconds = entry.checked ? 0 : entry.delaySeconds;
    if (!entry.exactName.empty()) {
        row.exact = static_cast<int>(g_exactNames.size());
        g_exactNames.push_back(entry.exactName);
    }
    g_textBlock += entry.title;
    g_textBlock += entry.command;
    g_textBlock += entry.location;
    return row;
}

// Pauses of row drawing now in force.
int g_rowDrawingPauses = 0;

void RedrawRow(int row) {
    if (g_rowDrawingPauses > 0) {
        return;
    }
    SendMessageA(g_app.entryList, LVM_REDRAWITEMS, static_cast<WPARAM>(row),
                 static_cast<LPARAM>(row));
}

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

StartupEntry TextsOf(const ListRow& row) {
    StartupEntry entry;
    entry.title = TitleOf(row);
    entry.command = CommandOf(row);
    entry.location = LocationOf(row);
    if (row.exact >= 0) {
        entry.exactName = g_exactNames[static_cast<std::size_t>(row.exact)];
    }
    return entry;
}

} // namespace

int RowCount() {
    return static_cast<int>(g_rows.size());
}

std::string RowText(int row, int column) {
    if (column < kColumnTitle || column > kColumnLocation) {
        return std::string();
    }
    if (!OnListThread()) {
        return ListText(row, column);
    }
    ListRow* at = RowAt(row);
    return at == nullptr ? std::string() : std::string(ColumnOf(*at, column));
}

bool RowChecked(int row) {
    const ListRow* at = RowAt(row);
    return at != nullptr && at->checked;
}

bool RowUnchecked(int row) {
    const ListRow* at = RowAt(row);
    return at != nullptr && !at->checked;
}

int DisabledRowCount() {
    int disabled = 0;
    for (const ListRow& row : g_rows) {
        disabled += BoxSet(row) ? 0 : 1;
    }
    return disabled;
}

bool RowSwitchedOff(int row) {
    const ListRow* at = RowAt(row);
    return at != nullptr && at->switchedOff;
}

bool RowBoxSet(int row) {
    const ListRow* at = RowAt(row);
    return at != nullptr && BoxSet(*at);
}

bool RowIsTask(int row) {
    const ListRow* at = RowAt(row);
    return at != nullptr && at->task;
}

bool RowByPolicy(int row) {
    const ListRow* at = RowAt(row);
    return at != nullptr && at->byPolicy;
}

bool RowRunning(int row) {
    ListRow* at = RowAt(row);
    if (at == nullptr) {
        return false;
    }
    SettleRunning(*at);
    return at->running;
}

StartupEntry RowTexts(int row) {
    const ListRow* at = RowAt(row);
    return at == nullptr ? StartupEntry() : TextsOf(*at);
}

StartupEntry RowEntry(int row) {
    ListRow* at = RowAt(row);
    if (at == nullptr) {
        return StartupEntry();
    }
    SettleIcon(*at);
    SettleRunning(*at);
    StartupEntry entry = TextsOf(*at);
    entry.icon = at->icon;
    entry.checked = at->checked;
    entry.running = at->running;
    entry.switchedOff = at->switchedOff;
    entry.byPolicy = at->byPolicy;
    entry.delaySeconds = at->delaySeconds;
    return entry;
}

std::vector<StartupEntry> RowsOfKind(RowKind kind) {
    std::vector<StartupEntry> rows;
    for (const ListRow& row : g_rows) {
        const bool of =
            kind == RowKind::Enabled    ? row.checked
            : kind == RowKind::Disabled ? !row.checked
            : kind == RowKind::Started  ? ChangeCheckWatches(row.checked, row.switchedOff, row.task)
                                        : row.task && row.switchedOff;
        if (of) {
            rows.push_back(TextsOf(row));
        }
    }
    return rows;
}

std::vector<std::string> ColumnTexts(int column) {
    std::vector<std::string> texts;
    texts.reserve(g_rows.size());
    for (ListRow& row : g_rows) {
        texts.emplace_back(ColumnOf(row, column));
    }
    return texts;
}

void SetRowBox(int row, bool checked) {
    if (ListRow* at = RowAt(row)) {
        at->checked = checked;
        RedrawRow(row);
    }
}

int RowDelay(int row) {
    const ListRow* at = RowAt(row);
    return at == nullptr ? 0 : at->delaySeconds;
}

void SetRowDelay(int row, int seconds) {
    if (ListRow* at = RowAt(row)) {
        at->delaySeconds = seconds;
        RedrawRow(row);
    }
}

void SetRowSwitchedOff(int row, bool off) {
    if (ListRow* at = RowAt(row)) {
        at->switchedOff = off;
        RedrawRow(row);
    }
}

void SetRowRunning(int row, bool running) {
    if (ListRow* at = RowAt(row)) {
        at->running = running;
        at->runningPending = false;
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
        const std::string_view title = TitleOf(g_rows[static_cast<std::size_t>(row)]);
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

void ProvideRowItem(LVITEMA& item) {
    ListRow* row = RowAt(item.iItem);
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
        SettleIcon(*row);
        item.iImage = row->icon;
    }
    if ((item.mask & LVIF_STATE) != 0 && (item.stateMask & LVIS_STATEIMAGEMASK) != 0) {
        const UINT image = BoxSet(*row) ? kStateImageChecked : kStateImageUnchecked;
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(image);
    }
}

void InsertRowAt(int position, const StartupEntry& entry) {
    g_rows.insert(g_rows.begin() + position, MakeRow(entry));
}

void EraseRowAt(int row) {
    if (RowAt(row) != nullptr) {
        g_rows.erase(g_rows.begin() + row);
    }
}

void ReplaceRows(const std::vector<StartupEntry>& rows) {
    // What the rows held before is given back before the new ones come.
    std::vector<ListRow>().swap(g_rows);
    std::string().swap(g_textBlock);
    std::vector<std::wstring>().swap(g_exactNames);
    g_rows.reserve(rows.size());
    std::size_t textSize = 0;
    for (const StartupEntry& entry : rows) {
        textSize += entry.title.size() + entry.command.size() + entry.location.size();
    }
    g_textBlock.reserve(textSize);
    for (const StartupEntry& entry : rows) {
        g_rows.push_back(MakeRow(entry));
        // A refresh's rows say only which programs are known to run: the
        // others are looked for among the processes when first shown.
        g_rows.back().runningPending = !entry.running;
    }
}

void ReorderRows(const std::vector<std::size_t>& order) {
    std::vector<ListRow> sorted;
    sorted.reserve(order.size());
    for (const std::size_t index : order) {
        sorted.push_back(g_rows[index]);
    }
    g_rows = std::move(sorted);
}

void PauseRowDrawing(bool paused) {
    g_rowDrawingPauses += paused ? 1 : -1;
}

} // namespace kv
