#include "shell/list/scan_driver.h"

#include "base/handles.h"
#include "base/strings.h"
#include "base/test_seams.h"
#include "base/text.h"
#include "entries/catalogue.h"
#include "entries/packaged_tasks.h"
#include "entries/entry_identity.h"
#include "entries/path_cache.h"
#include "entries/registry_reader.h"
#include "entries/scheduled_tasks.h"
#include "entries/startup_folder.h"
#include "entries/startup_switch.h"
#include "entries/winini_reader.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/frame/outcome_report.h"
#include "shell/list/row_facts.h"
#include "shell/list/sort_order.h"
#include "shell/list/status_bar.h"
#include "resource.h"

#include <windows.h>
#include <process.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <vector>

namespace kv {

namespace {

// How long the refresh waits for a Startup folder's reader, in milliseconds,
// and what makes the readers wait first (tests only).
constexpr DWORD kFolderReadWait = 5000;
DWORD g_folderReadWait = kFolderReadWait;
HANDLE g_folderReadStall = nullptr;

// One Startup folder read on a thread of its own, from when it is made until
// its rows are asked for; where no thread can be made, the rows are read
// when asked for. A plain thread of the platform's: nothing of it outlives
// the read.
//
// The interface thread waits for it a bounded time only: a shortcut whose
// target's network path does not answer can hold the shell for long. When
// the reader has not finished by then, it is left to end alone (what it
// shares with the refresh is kept alive by both), and the folder is listed
// once more here with each shortcut's target as the link stores it, which
// asks nothing of the target's path. So every file of the folder is still a
// row, with the command a reader finds whenever the target has not moved:
// no entry is missing from the list, and none is taken for removed by the
// change check or a move.
class FolderReadBeside {
  public:
    explicit FolderReadBeside(int selector) : selector_(selector) {
        shared_->selector = selector;
        shared_->stall = g_folderReadStall;
        auto* forThread = new std::shared_ptr<Shared>(shared_);
        thread_.Reset(
            reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Read, forThread, 0, nullptr)));
        if (!thread_.valid()) {
            delete forThread;
        }
    }
    FolderReadBeside(const FolderReadBeside&) = delete;
    FolderReadBeside& operator=(const FolderReadBeside&) = delete;

    std::vector<StartupEntry> Rows() {
        if (!thread_.valid()) {
            return ScanStartupFolder(selector_);
        }
        if (WaitForSingleObject(thread_.get(), g_folderReadWait) != WAIT_OBJECT_0) {
            return ScanStartupFolder(selector_, LinkTargets::AsStored);
        }
        if (shared_->failure) {
            std::rethrow_exception(shared_->failure);
        }
        return std::move(shared_->rows);
    }

  private:
    // What the reader fills; the last of the reader and the refresh to let
    // go of it frees it.
    struct Shared {
        int selector = 0;
        HANDLE stall = nullptr;
        std::vector<StartupEntry> rows;
        std::exception_ptr failure;
    };

    static unsigned __stdcall Read(void* param) {
        const std::unique_ptr<std::shared_ptr<Shared>> own(
            static_cast<std::shared_ptr<Shared>*>(param));
        Shared& read = **own;
        if (read.stall != nullptr) {
            WaitForSingleObject(read.stall, INFINITE);
        }
        try {
            read.rows = ScanStartupFolder(read.selector);
        } catch (...) {
            read.failure = std::current_exception();
        }
        return 0;
    }

    int selector_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    UniqueHandle thread_;
};

// The failure to read the scheduler last said in the status bar; S_OK since
// a reading succeeded. A scheduler that cannot list its tasks fails the same
// way at every refresh: it is said once, and again only when the code
// changes.
HRESULT g_taskReadFailureSaid = S_OK;
// The last reading of the scheduler failed: what it listed may be only part
// of its logon tasks, or none.
bool g_scheduledTasksUnread = false;

void SayTaskReadFailure(HRESULT failure) {
    if (SUCCEEDED(failure)) {
        g_taskReadFailureSaid = S_OK;
        return;
    }
    if (failure == g_taskReadFailureSaid || !g_app.PendingStatusText.empty()) {
        return;
    }
    g_taskReadFailureSaid = failure;
    const std::string format = LoadText(IDS_TASKS_UNREAD);
    std::vector<char> text(format.size() + 16);
    std::snprintf(text.data(), text.size(), format.c_str(), static_cast<unsigned>(failure));
    g_app.PendingStatusText = text.data();
}

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
    // The task scheduler is a service of its own: it is asked beside all
    // of this too.
    ScheduledTaskReadBeside scheduledTasks;

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

    progress(LoadText(IDS_SCAN_PACKAGES));
    PackagedTaskScan packaged = ScanPackagedTasks();
    Append(read, std::move(packaged.rows));
    if (!packaged.unreadable.empty() && g_app.PendingStatusText.empty()) {
        g_app.PendingStatusText = LoadText(IDS_PACKAGE_UNREADABLE) + packaged.unreadable[0];
        if (packaged.unreadable.size() > 1) {
            g_app.PendingStatusText += LoadText(IDS_PACKAGES_MORE) +
                                       Decimal(static_cast<long long>(packaged.unreadable.size() - 1));
        }
    }

    ScheduledTaskRead tasks = scheduledTasks.Rows();
    SayTaskReadFailure(tasks.failure);
    g_scheduledTasksUnread = FAILED(tasks.failure);
    Append(read, std::move(tasks.rows));
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
        const LocationClass place = ClassifyLocationIn(row.location, user, all);
        // A task's own switch was read with it.
        if (!IsTaskKind(place.kind)) {
            row.switchedOff = off.Contains(place, row);
        }
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
        // The snapshot of the enabled entries, for the next change check;
        // while the watch runs, only a check's own refresh writes it. A
        // scheduler that could not be read says nothing of its tasks: the
        // snapshot keeps those it had, or the next check that reads them
        // would take each for a new program.
        if (!g_app.WatchRunning || g_app.CheckScanning) {
            if (g_scheduledTasksUnread) {
                std::vector<StartupEntry> watched = rows;
                AddUnreadScheduledTasks(watched);
                WriteChangeSnapshot(watched, true);
            } else {
                WriteChangeSnapshot(rows, true);
            }
        }
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

bool ScheduledTasksUnread() {
    return g_scheduledTasksUnread;
}

void AddUnreadScheduledTasks(std::vector<StartupEntry>& entries) {
    if (!g_scheduledTasksUnread) {
        return;
    }
    for (StartupEntry& entry : ReadChangeSnapshot()) {
        if (IsScheduledTask(entry)) {
            entry.checked = true;
            entries.push_back(std::move(entry));
        }
    }
}

bool IsScheduledTask(const StartupEntry& entry) {
    return ClassifyLocationIn(entry.location, std::string(), std::string()).kind ==
           LocationKind::ScheduledTask;
}

void SetFolderReadStallForTests(HANDLE stall, unsigned waitMilliseconds) {
    g_folderReadStall = stall;
    g_folderReadWait = stall != nullptr ? waitMilliseconds : kFolderReadWait;
}

} // namespace kv
