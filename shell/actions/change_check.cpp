#include "shell/actions/change_check.h"

#include "base/strings.h"
#include "base/text.h"
#include "entries/catalogue.h"
#include "entries/location_watch.h"
#include "moves/entry_moves.h"
#include "moves/task_moves.h"
#include "records/change_snapshot.h"
#include "records/command_change.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "records/guard_log.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/frame/message_boxes.h"
#include "shell/frame/monitoring_timer.h"
#include "shell/frame/outcome_report.h"
#include "shell/frame/tray.h"
#include "shell/list/scan_driver.h"
#include "shell/list/status_bar.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

namespace kv {

namespace {

std::string Question(UINT head, const StartupEntry& entry, UINT ask) {
    return LoadText(head) + LoadText(IDS_CHG_TITLE) + entry.title + LoadText(IDS_CHG_COMMAND) +
           entry.command + LoadText(IDS_CHG_LOCATION) + entry.location + LoadText(ask);
}

// The main window is shown and not minimised.
bool WindowInSight() {
    HWND window = g_app.mainWindow;
    return window != nullptr && IsWindowVisible(window) && !IsIconic(window);
}

// Shows a change's box; true for Yes. A timed check's box, and a watch's
// while the window is out of sight, has no owner and comes to the front; the
// timer is stopped before a timed one, so no second check starts behind it.
bool ShowChange(CheckMode mode, const std::string& text, UINT caption, UINT flags) {
    HWND owner = nullptr;
    if (mode == CheckMode::Timed) {
        StopMonitoringTimer();
        flags |= MB_SETFOREGROUND;
    } else if (mode == CheckMode::Watch && !WindowInSight()) {
        flags |= MB_SETFOREGROUND;
    } else if (mode == CheckMode::Manual || mode == CheckMode::Watch) {
        owner = g_app.mainWindow;
    }
    return MessageBoxA(owner, text.c_str(), LoadText(caption).c_str(), flags) == IDYES;
}

// Asks about one change; true for Yes.
bool Ask(CheckMode mode, const std::string& text, UINT caption) {
    return ShowChange(mode, text, caption, MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2);
}

// Tells of a change that nothing can be done about.
void Tell(CheckMode mode, const std::string& text, UINT caption) {
    ShowChange(mode, text, caption, MB_ICONINFORMATION | MB_OK);
}

// The check ends early when the program was ended while a question was open.
bool WindowGone() {
    return g_app.mainWindow == nullptr || g_app.entryList == nullptr;
}

} // namespace

namespace {

// Whether a question of this mode about this kind of change is asked: a
// timed or watch check asks only what its monitoring setting names.
bool Asked(CheckMode mode, bool added) {
    const RunningSettings& settings = g_app.settings;
    return (mode != CheckMode::Timed && mode != CheckMode::Watch) ||
           (added ? settings.NewMon : settings.OldMon) != 0;
}

// A disabled entry put back by another program, or a switch switched on
// again, was turned off again: the user is told in the log, a balloon and
// the status bar.
void TellTurnedOffAgain(const MoveOutcome& outcome) {
    AppendGuardLog(outcome.entry);
    ShowTrayBalloon(outcome.text);
    g_app.PendingStatusText = outcome.text;
}

// The new programs that are disabled entries back in their locations (the
// store held one of the same title and location before the check) are taken
// out again, unasked, and leave `changes`; true when any was. One that
// cannot be taken out is asked about as a new program; one gone meanwhile
// is let be.
bool TakeOutReturned(const std::vector<StartupEntry>& current,
                     const std::vector<StartupEntry>& storedBefore, EntryChanges& changes) {
    bool any = false;
    std::vector<std::size_t> rest;
    for (const std::size_t index : changes.added) {
        const StartupEntry& entry = current[index];
        if (IsTaskLocation(entry.location) ||
            StoredNamesake(storedBefore, entry) == storedBefore.size()) {
            rest.push_back(index);
            continue;
        }
        const MoveOutcome outcome = TakeOutAgain(entry, NamesakeDelay(storedBefore, entry));
        if (outcome.done()) {
            TellTurnedOffAgain(outcome);
            any = true;
        } else if (outcome.result != MoveResult::Stale) {
            if (!outcome.text.empty()) {
                g_app.PendingStatusText = outcome.text;
            }
            rest.push_back(index);
        }
    }
    changes.added = std::move(rest);
    return any;
}

// An entry's place and name, as Windows' switch names it.
std::string SwitchIdentity(const StartupEntry& entry) {
    return LowerAscii(entry.location) + '|' + LowerAscii(entry.title);
}

// The rows in their locations that Windows' switch turns off now (tasks
// aside: their switch is all there is of them).
std::set<std::string> RowsSwitchedOff() {
    std::set<std::string> off;
    for (int row = 0; row < RowCount(); ++row) {
        if (RowChecked(row) && RowSwitchedOff(row) && !RowIsTask(row)) {
            off.insert(SwitchIdentity(RowTexts(row)));
        }
    }
    return off;
}

// Turns off again every switch that said off before the check and says on
// now; true when any was.
bool KeepSwitchesOff(const std::set<std::string>& offBefore) {
    bool any = false;
    for (int row = 0; row < RowCount() && !offBefore.empty(); ++row) {
        if (!RowChecked(row) || RowSwitchedOff(row) || RowIsTask(row)) {
            continue;
        }
        const StartupEntry entry = RowTexts(row);
        if (offBefore.count(SwitchIdentity(entry)) != 0) {
            const MoveOutcome outcome = SwitchOffAgain(entry);
            if (outcome.done()) {
                TellTurnedOffAgain(outcome);
                any = true;
            }
        }
    }
    return any;
}

// The list's selection and scroll position, kept across a check's refresh.
struct ListPlace {
    std::vector<StartupEntry> selected;
    int top = 0;
};

ListPlace KeepListPlace() {
    ListPlace place;
    if (g_app.entryList == nullptr) {
        return place;
    }
    place.top = static_cast<int>(SendMessageA(g_app.entryList, LVM_GETTOPINDEX, 0, 0));
    for (const int row : SelectedRows()) {
        place.selected.push_back(RowTexts(row));
    }
    return place;
}

void RestoreListPlace(const ListPlace& place) {
    if (g_app.entryList == nullptr || RowCount() == 0) {
        return;
    }
    for (int row = 0; row < RowCount() && !place.selected.empty(); ++row) {
        const StartupEntry entry = RowTexts(row);
        for (const StartupEntry& was : place.selected) {
            if (SameTexts(was, entry)) {
                LVITEMA item{};
                item.stateMask = LVIS_SELECTED;
                item.state = LVIS_SELECTED;
                SendMessageA(g_app.entryList, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                             reinterpret_cast<LPARAM>(&item));
                break;
            }
        }
    }
    RECT first{};
    first.left = LVIR_BOUNDS;
    if (place.top > 0 && SendMessageA(g_app.entryList, LVM_GETITEMRECT, 0,
                                      reinterpret_cast<LPARAM>(&first)) != FALSE) {
        SendMessageA(g_app.entryList, LVM_SCROLL, 0, place.top * (first.bottom - first.top));
    }
}

// A refresh that keeps the list's selection and scroll position.
void RefreshInPlace() {
    const ListPlace place = KeepListPlace();
    ScanDriver();
    RestoreListPlace(place);
}

// Asks about each changed command; on Yes the old command goes back as the
// snapshot kept it. True when any was answered Yes.
bool AskAboutCommands(CheckMode mode, const std::vector<StartupEntry>& previous,
                      const std::vector<StartupEntry>& current,
                      const std::vector<CommandChange>& changed, bool& windowStays) {
    bool answered = false;
    for (const CommandChange& change : changed) {
        if (!Asked(mode, true)) {
            continue;
        }
        const StartupEntry& before = previous[change.previous];
        const StartupEntry& now = current[change.current];
        const std::string question =
            LoadText(IDS_CHG_CMD_HEAD) + now.title + LoadText(IDS_CHG_CMD_CHANGED) +
            LoadText(IDS_CHG_CMD_OLD) + before.command + LoadText(IDS_CHG_CMD_NEW) + now.command +
            LoadText(IDS_CHG_LOCATION) + now.location + LoadText(IDS_CHG_CMD_ASK);
        if (Ask(mode, question, IDS_CHG_CMD_CAPTION)) {
            answered = true;
            const MoveOutcome outcome = PutBackCommand(before, now);
            ReportOutcomeLater(outcome.location);
            if (!outcome.text.empty()) {
                g_app.PendingStatusText = outcome.text;
            }
        }
        if (WindowGone()) {
            windowStays = false;
            return answered;
        }
    }
    return answered;
}

// Yes to a new program: it leaves its location, and then the snapshot; a
// task is turned off instead.
void RemoveNewProgram(const StartupEntry& entry) {
    const MoveOutcome outcome =
        IsTaskLocation(entry.location) ? SwitchTaskOf(entry, false) : DeleteActive(entry);
    ReportOutcomeLater(outcome.location);
    if (!outcome.done() && !outcome.text.empty()) {
        g_app.PendingStatusText = outcome.text;
    }
}

// Yes to a vanished program: back into its location as it was; an entry of
// the same name there now is replaced only when the user agrees.
void PutBackVanishedProgram(CheckMode mode, const StartupEntry& entry) {
    const MoveOutcome outcome = PutBackVanished(entry, [mode](const std::string& question) {
        return Ask(mode, question, IDS_CHG_OLD_CAPTION);
    });
    ReportOutcomeLater(outcome.location);
    if (!outcome.done() && !outcome.text.empty()) {
        g_app.PendingStatusText = outcome.text;
    }
}

// Asks about each change of one kind, in order; true when any was answered
// Yes. False in `windowStays` when the program was ended meanwhile.
bool AskAboutChanges(CheckMode mode, bool added, const std::vector<StartupEntry>& entries,
                     const std::vector<std::size_t>& changed, bool& windowStays) {
    bool answered = false;
    for (const std::size_t index : changed) {
        if (!Asked(mode, added)) {
            continue; // taken in silently
        }
        const StartupEntry& entry = entries[index];
        const bool task = IsTaskLocation(entry.location);
        bool yes = false;
        if (added) {
            yes = Ask(mode,
                      Question(IDS_CHG_NEW_HEAD, entry,
                               task ? IDS_CHG_ASK_TURN_OFF : IDS_CHG_ASK_DELETE),
                      IDS_CHG_NEW_CAPTION);
        } else if (task) {
            // A task that went with its app or from the scheduler: nothing
            // of it is left to put back.
            Tell(mode, Question(IDS_CHG_OLD_HEAD, entry, IDS_CHG_TASK_GONE), IDS_CHG_OLD_CAPTION);
        } else {
            yes = Ask(mode, Question(IDS_CHG_OLD_HEAD, entry, IDS_CHG_ASK_RESTORE),
                      IDS_CHG_OLD_CAPTION);
        }
        if (yes) {
            answered = true;
            if (added) {
                RemoveNewProgram(entry);
            } else {
                PutBackVanishedProgram(mode, entry);
            }
        }
        if (WindowGone()) {
            windowStays = false;
            return answered;
        }
    }
    return answered;
}

} // namespace

void CheckForChanges(CheckMode mode) {
    const bool timed = mode == CheckMode::Timed;
    const bool keepOff = g_app.settings.KeepOff != 0;
    if (!Asked(mode, true) && !Asked(mode, false) && !keepOff) {
        return;
    }
    // One check at a time: a check started while another one waits for an
    // answer would rebuild the list under it.
    if (g_app.CheckBusy) {
        return;
    }
    FlagScope busy(g_app.CheckBusy);

    // The previous set, with the values its entries held, so that a vanished
    // one is put back as it was. A damaged report.ini is no snapshot:
    // comparing with part of one would take every entry it lost for a new
    // program. At start-up and while the watch runs, the snapshot is the
    // previous set: it follows the checks and the program's own moves only.
    // Otherwise the list holds the previous set, and the snapshot (kept
    // before the refresh replaces it) is read for those values only when
    // they are needed.
    std::vector<StartupEntry> previous;
    std::string snapshotText;
    bool previousKeepsForms = false;
    if (mode == CheckMode::StartUp) {
        if (!ChangeSnapshotIsWhole()) {
            ScanDriver();
            ShowStatusText(LoadText(IDS_NO_REPORT_FILE));
            return;
        }
        previous = ReadChangeSnapshot();
        previousKeepsForms = true;
    } else if (g_app.WatchRunning && ChangeSnapshotIsWhole()) {
        previous = ReadChangeSnapshot();
        previousKeepsForms = true;
    } else {
        previous = RowsOfKind(RowKind::Started);
        // The last refresh may not have read the scheduler: the snapshot
        // kept its tasks.
        AddUnreadScheduledTasks(previous);
        snapshotText = ReadChangeSnapshotText();
    }
    // What Windows' switch turned off, and what the store held, before the
    // refresh: the refresh drops a record whose entry is in its location.
    const std::set<std::string> offBefore =
        mode == CheckMode::StartUp ? std::set<std::string>() : RowsSwitchedOff();
    const std::vector<StartupEntry> storedBefore = CurrentDisabledEntries();
    // A watch check that finds nothing leaves the status bar as it was: the
    // result of the move whose write brought it stays readable.
    const std::string statusBefore = CurrentStatusText();
    const bool pendingBefore = !g_app.PendingStatusText.empty();

    {
        FlagScope scanning(g_app.CheckScanning);
        const ListPlace place = KeepListPlace();
        ScanDriver();
        RestoreListPlace(place);
    }
    const std::vector<StartupEntry> current = RowsOfKind(RowKind::Started);
    // What went into the store since was disabled by this program; a task
    // switched off (by this program, or in Windows' own settings) is still
    // there, and is no program gone.
    std::vector<StartupEntry> notGone = RowsOfKind(RowKind::Disabled);
    for (StartupEntry& off : RowsOfKind(RowKind::TasksOff)) {
        notGone.push_back(std::move(off));
    }
    if (ScheduledTasksUnread()) {
        // The scheduler did not answer: its tasks were not read, not removed.
        previous.erase(std::remove_if(previous.begin(), previous.end(), IsScheduledTask),
                       previous.end());
    }
    EntryChanges changes = CompareEntrySets(previous, current, notGone);
    // The same title in the same location with another command is one change.
    const std::vector<CommandChange> commands = TakeCommandChanges(previous, current, changes);
    if (!previousKeepsForms && (!changes.vanished.empty() || !commands.empty())) {
        previous = WithKeptForms(previous, ChangeSnapshotEntries(snapshotText));
    }
    bool answered = false;
    if (keepOff) {
        answered = TakeOutReturned(current, storedBefore, changes);
        answered = KeepSwitchesOff(offBefore) || answered;
    }
    if (mode == CheckMode::Watch && !pendingBefore && !answered && changes.added.empty() &&
        changes.vanished.empty() && commands.empty()) {
        ShowStatusText(statusBefore);
    }
    bool windowStays = true;
    answered = AskAboutChanges(mode, true, current, changes.added, windowStays) || answered;
    if (windowStays) {
        answered = AskAboutCommands(mode, previous, current, commands, windowStays) || answered;
    }
    if (windowStays) {
        answered =
            AskAboutChanges(mode, false, previous, changes.vanished, windowStays) || answered;
    }
    if (!windowStays) {
        return;
    }
    if (timed) {
        StartMonitoringTimer();
    }
    if (mode == CheckMode::Manual) {
        if (changes.added.empty() && commands.empty()) {
            Inform(LoadText(IDS_CHG_NO_NEW));
        }
        if (changes.vanished.empty()) {
            Inform(LoadText(IDS_CHG_NO_REMOVED));
        }
    }
    // The list shows the effect of the answers; when nothing was answered
    // Yes, the list of the first refresh is current.
    if (answered && !WindowGone()) {
        RefreshInPlace();
    }
}

void OnMonitoringTick() {
    HWND window = g_app.mainWindow;
    // While the user looks at the window, the list speaks for itself.
    if (window == nullptr || (IsWindowVisible(window) && !IsIconic(window))) {
        return;
    }
    CheckForChanges(CheckMode::Timed);
}

namespace {

std::unique_ptr<LocationWatch> g_watch;

} // namespace

void StartLocationWatch() {
    HWND window = g_app.mainWindow;
    if (window == nullptr || g_watch) {
        return;
    }
    g_watch.reset(new LocationWatch([window] { PostMessageA(window, KV_WATCH_MESSAGE, 0, 0); }));
    if (!g_watch->running()) {
        g_watch.reset();
        return;
    }
    // A change made right after the start is seen once every notification is
    // armed; a thread slowed by a Startup folder on a path that does not
    // answer holds the window back a few seconds at most.
    g_watch->WaitArmed(5000);
    g_app.WatchRunning = true;
}

void StopLocationWatch() {
    g_watch.reset();
    g_app.WatchRunning = false;
    if (g_app.mainWindow != nullptr) {
        KillTimer(g_app.mainWindow, KV_WATCH_TIMER);
    }
}

long WatchNotices() {
    return g_watch ? g_watch->Notices() : 0;
}

void OnWatchNotice() {
    if (g_app.mainWindow != nullptr && g_watch) {
        SetTimer(g_app.mainWindow, KV_WATCH_TIMER, kWatchQuietMilliseconds, nullptr);
    }
}

void OnWatchQuiet() {
    HWND window = g_app.mainWindow;
    if (window == nullptr) {
        return;
    }
    // While a question or dialog of the program is open (its window is then
    // disabled, or a check asks), the timer stays and the check runs after.
    if (g_app.CheckBusy || !IsWindowEnabled(window)) {
        return;
    }
    KillTimer(window, KV_WATCH_TIMER);
    CheckForChanges(CheckMode::Watch);
}

void RunManualCheck() {
    if (g_app.CheckBusy) {
        return;
    }
    StopMonitoringTimer();
    CheckForChanges(CheckMode::Manual);
    StartMonitoringTimer();
}

void SaveChangeSnapshot() {
    if (g_app.entryList == nullptr) {
        return;
    }
    // While the watch runs, a whole snapshot follows the checks and moves:
    // the rows may hold a change that no check has asked about yet.
    if (g_app.WatchRunning && ChangeSnapshotIsWhole()) {
        return;
    }
    // The rows keep only their texts; the values come from the snapshot,
    // which has followed every entry the program moved since the last refresh.
    std::vector<StartupEntry> watched = RowsOfKind(RowKind::Started);
    AddUnreadScheduledTasks(watched);
    WriteChangeSnapshot(WithKeptForms(watched, ReadChangeSnapshot()));
}

} // namespace kv
