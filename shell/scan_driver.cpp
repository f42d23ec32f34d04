#include "shell/scan_driver.h"

#include "base/strings.h"
#include "entries/catalogue.h"
#include "entries/path_cache.h"
#include "entries/registry_reader.h"
#include "entries/startup_folder.h"
#include "entries/winini_reader.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "shell/app_state.h"
#include "shell/entry_list.h"
#include "shell/outcome_report.h"
#include "shell/program_actions.h"
#include "shell/sort_order.h"
#include "resource.h"

#include <vector>

namespace kv {

namespace {

void Append(std::vector<StartupEntry>& to, std::vector<StartupEntry>&& rows) {
    for (StartupEntry& row : rows) {
        to.push_back(std::move(row));
    }
}

// Every location's rows, in reading order; the progress texts go to the
// status bar when there is a window to show them.
std::vector<StartupEntry> ReadActiveLocations(bool showProgress) {
    const auto progress = [showProgress](const std::string& text) {
        if (showProgress) {
            ShowStatusText(text);
        }
    };
    std::vector<StartupEntry> read;

    progress(LoadText(IDS_SCAN_REGISTRY));
    for (const RegistryLocation& key : kValueKeys) {
        RegistryScan scan = ScanRegistryKey(key.root, key.keyPath);
        if (!scan.opened && key.reportMissing) {
            // Stays until the next status text replaces it.
            progress(LoadText(IDS_NO_KEY_ACCESS) + RegistryLocationString(key.root, key.keyPath));
        }
        Append(read, std::move(scan.rows));
    }
    for (const RegistryLocation& key : kSubkeyKeys) {
        Append(read, ScanRegistrySubkeys(key.root, key.keyPath).rows);
    }

    progress(LoadText(IDS_SCAN_FOLDERS));
    Append(read, ScanStartupFolder(kCurrentUserStartup));
    Append(read, ScanStartupFolder(kAllUsersStartup));

    progress(LoadText(IDS_SCAN_WININI));
    Append(read, ScanWinIniParameter("run"));
    Append(read, ScanWinIniParameter("load"));
    return read;
}

} // namespace

std::vector<StartupEntry> ReadStartupSet() {
    PathCacheScope paths;
    std::vector<StartupEntry> read = ReadActiveLocations(false);
    for (StartupEntry& row : read) {
        row.checked = true;
    }
    // An entry in its location and in the store is shown once, as it is in
    // its location; nothing is written here.
    Append(read, ReadDisabledStoreBeside(read, false));
    // As a first refresh shows them: each row on top of the earlier ones,
    // then sorted by title, descending.
    std::vector<std::string> titles;
    for (auto it = read.rbegin(); it != read.rend(); ++it) {
        titles.push_back(it->title);
    }
    std::vector<StartupEntry> rows;
    for (const std::size_t index : ExchangeSortOrder(titles, -1)) {
        rows.push_back(std::move(read[read.size() - 1 - index]));
    }
    return rows;
}

void ScanDriver() {
    // Each folder the commands name is listed once for this refresh.
    PathCacheScope paths;
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    g_app.ListBusy = true;
    ClearEntryList();

    std::vector<StartupEntry> read = ReadActiveLocations(true);

    // Everything read so far is active in its location.
    for (StartupEntry& row : read) {
        row.checked = true;
    }

    // The disabled entries come after, unchecked. An entry that is in its
    // location as well (the program ended between its two moves) is shown
    // once, as it is there, and its record leaves the store.
    ShowStatusText(LoadText(IDS_SCAN_DISABLED));
    Append(read, ReadDisabledStoreBeside(read, true));
    if (!DisabledStoreMayChange() && g_app.PendingStatusText.empty()) {
        g_app.PendingStatusText = LoadText(DisabledStoreFailureText());
    }

    // Each row went on top of the rows read before it, so the list holds
    // them in the reverse of the reading order.
    std::vector<StartupEntry> rows;
    rows.reserve(read.size());
    const std::string stopped = LoadText(IDS_STATUS_STOPPED);
    IconLookup icons;
    for (auto it = read.rbegin(); it != read.rend(); ++it) {
        StartupEntry& row = *it;
        if (row.icon == kIconLookup) {
            row.icon = icons(row.iconPath);
        }
        row.status = stopped;
        rows.push_back(std::move(row));
    }
    std::vector<StartupEntry>().swap(read); // only emptied entries are left there

    // Disabled entries whose program runs show it as well.
    MarkRunningEntries(rows);

    // The snapshot of the enabled entries, for the next change check.
    WriteChangeSnapshot(rows, true);

    // Sorted by the column and in the direction of the last sort: the flag is
    // inverted first because sorting inverts it again.
    const int column = g_app.sortColumn;
    g_app.sortAscending[column] = !g_app.sortAscending[column];
    ShowSortedRows(std::move(rows), column);
    g_app.ListBusy = false;

    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    ShowStatusText(LoadText(IDS_HELP_F1));
    if (!g_app.PendingStatusText.empty()) {
        ShowStatusText(g_app.PendingStatusText);
        g_app.PendingStatusText.clear();
    }
}

} // namespace kv
