#include "shell/scan_driver.h"

#include "base/handles.h"
#include "base/strings.h"
#include "entries/catalogue.h"
#include "entries/path_cache.h"
#include "entries/registry_reader.h"
#include "entries/startup_folder.h"
#include "entries/startup_switch.h"
#include "entries/winini_reader.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "shell/app_state.h"
#include "shell/entry_list.h"
#include "shell/outcome_report.h"
#include "shell/row_facts.h"
#include "shell/sort_order.h"
#include "shell/status_bar.h"
#include "resource.h"

#include <windows.h>
#include <process.h>

#include <exception>
#include <vector>

namespace kv {

namespace {

// One Startup folder read on a thread of its own, from when it is made until
// its rows are asked for; where no thread can be made, the rows are read
// when asked for. A plain thread of the platform's: nothing of it outlives
// the read.
class FolderReadBeside {
  public:
    explicit FolderReadBeside(int selector) : selector_(selector) {
        thread_.Reset(
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Read, this, 0, nullptr)));
    }
    ~FolderReadBeside() { Finish(); }
    FolderReadBeside(const FolderReadBeside&) = delete;
    FolderReadBeside& operator=(const FolderReadBeside&) = delete;

    std::vector<StartupEntry> Rows() {
        if (!thread_.valid()) {
            return ScanStartupFolder(selector_);
        }
        Finish();
        if (failure_) {
            std::rethrow_exception(failure_);
        }
        return std::move(rows_);
    }

  private:
    static unsigned __stdcall Read(void* self) {
        FolderReadBeside& read = *static_cast<FolderReadBeside*>(self);
        try {
            read.rows_ = ScanStartupFolder(read.selector_);
        } catch (...) {
            read.failure_ = std::current_exception();
        }
        return 0;
    }
    void Finish() {
        if (thread_.valid() && !finished_) {
            WaitForSingleObject(thread_.get(), INFINITE);
            finished_ = true;
        }
    }

    int selector_;
    UniqueHandle thread_;
    bool finished_ = false;
    std::vector<StartupEntry> rows_;
    std::exception_ptr failure_;
};

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
    // Loading a shortcut is mostly the shell's own work, not the registry's:
    // both Startup folders are read on threads of their own while this one
    // reads the registry. Their rows still follow the registry's, in the
    // same order.
    FolderReadBeside currentUserFolder(kCurrentUserStartup);
    FolderReadBeside allUsersFolder(kAllUsersStartup);

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
    Append(read, currentUserFolder.Rows());
    Append(read, allUsersFolder.Rows());

    progress(LoadText(IDS_SCAN_WININI));
    Append(read, ScanWinIniParameter("run"));
    Append(read, ScanWinIniParameter("load"));
    return read;
}

// Entries in their locations that Windows' own switch turns off.
void MarkSwitchedOff(std::vector<StartupEntry>& rows) {
    const SwitchedOffEntries off = SwitchedOffEntries::Read();
    if (off.empty()) {
        return;
    }
    const std::string user = GetStartupFolderPath(kCurrentUserStartup);
    const std::string all = GetStartupFolderPath(kAllUsersStartup);
    for (StartupEntry& row : rows) {
        row.switchedOff = off.Contains(ClassifyLocationIn(row.location, user, all), row);
    }
}

// The startup set as the list shows it before its sort: every location's
// entries (checked) and then the disabled ones (unchecked), each on top of
// the ones read before it. An entry in its location and in the store is
// shown once, as it is in its location; with `dropRecords` its record also
// leaves the store.
std::vector<StartupEntry> ReadRows(bool showProgress, bool dropRecords) {
    std::vector<StartupEntry> read = ReadActiveLocations(showProgress);
    for (StartupEntry& row : read) {
        row.checked = true;
    }
    MarkSwitchedOff(read);
    if (showProgress) {
        ShowStatusText(LoadText(IDS_SCAN_DISABLED));
    }
    Append(read, ReadDisabledStoreBeside(read, dropRecords));
    std::vector<StartupEntry> rows;
    rows.reserve(read.size());
    for (auto it = read.rbegin(); it != read.rend(); ++it) {
        rows.push_back(std::move(*it));
    }
    return rows;
}

} // namespace

std::vector<StartupEntry> ReadStartupSet() {
    PathCacheScope paths;
    std::vector<StartupEntry> read = ReadRows(false, false);
    // As a first refresh shows them: sorted by title, descending.
    std::vector<std::string> titles;
    for (const StartupEntry& row : read) {
        titles.push_back(row.title);
    }
    std::vector<StartupEntry> rows;
    for (const std::size_t index : ExchangeSortOrder(titles, -1)) {
        rows.push_back(std::move(read[index]));
    }
    return rows;
}

void ScanDriver() {
    // Each folder the commands name is listed once for this refresh and the
    // rows it shows; what a row shows of its program is worked out when the
    // row is first shown.
    StartRowFactsRound();
    PathCacheScope paths(RoundPathCache());
    SetCursor(LoadCursor(nullptr, IDC_WAIT));
    {
        FlagScope busy(g_app.ListBusy);
        ClearEntryList();
        std::vector<StartupEntry> rows = ReadRows(true, true);
        if (!DisabledStoreMayChange() && g_app.PendingStatusText.empty()) {
            g_app.PendingStatusText = LoadText(DisabledStoreFailureText());
        }
        for (StartupEntry& row : rows) {
            if (row.icon == kIconLookup) {
                row.icon = RoundIconIndex(row.iconPath);
            }
        }
        // The snapshot of the enabled entries, for the next change check.
        WriteChangeSnapshot(rows, true);
        FillEntryList(rows);
    }
    // Sorted by the column and in the direction of the last sort; the flag
    // names the direction of the next one.
    const int column = g_app.sortColumn;
    SortRows(column, !g_app.sortAscending[column]);
    // No row is selected after a refresh: the commands that need one were
    // greyed when the list was emptied.
    UpdateCountText();

    SetCursor(LoadCursor(nullptr, IDC_ARROW));
    ShowStatusText(LoadText(IDS_HELP_F1));
    if (!g_app.PendingStatusText.empty()) {
        ShowStatusText(g_app.PendingStatusText);
        g_app.PendingStatusText.clear();
    }
}

} // namespace kv
