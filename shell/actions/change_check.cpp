#include "shell/actions/change_check.h"

#include "base/strings.h"
#include "entries/catalogue.h"
#include "moves/entry_moves.h"
#include "moves/task_moves.h"
#include "records/change_snapshot.h"
#include "records/entry_records.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/frame/message_boxes.h"
#include "shell/frame/monitoring_timer.h"
#include "shell/frame/outcome_report.h"
#include "shell/list/scan_driver.h"
#include "shell/list/status_bar.h"
#include "resource.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace kv {

namespace {

std::string Question(UINT head, const StartupEntry& entry, UINT ask) {
    return LoadText(head) + LoadText(IDS_CHG_TITLE) + entry.title + LoadText(IDS_CHG_COMMAND) +
           entry.command + LoadText(IDS_CHG_LOCATION) + entry.location + LoadText(ask);
}

// Shows a change's box; true for Yes. A timed check's box has no owner and
// comes to the front (the window is hidden or minimised then); the timer is
// stopped before it, so no second check starts behind it.
bool ShowChange(CheckMode mode, const std::string& text, UINT caption, UINT flags) {
    HWND owner = nullptr;
    if (mode == CheckMode::Timed) {
        StopMonitoringTimer();
        flags |= MB_SETFOREGROUND;
    } else if (mode == CheckMode::Manual) {
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
// timed check asks only what its monitoring setting names.
bool Asked(CheckMode mode, bool added) {
    const RunningSettings& settings = g_app.settings;
    return mode != CheckMode::Timed || (added ? settings.NewMon : settings.OldMon) != 0;
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
    if (!Asked(mode, true) && !Asked(mode, false)) {
        return;
    }
    // One check at a time: a check started while another one waits for an
    // answer would rebuild the list under it.
    if (g_app.CheckBusy) {
        return;
    }
    FlagScope busy(g_app.CheckBusy);

    // The previous set, with the values its entries held as the last refresh
    // saw them, so that a vanished one is put back as it was. A damaged
    // report.ini is no snapshot: comparing with part of one would take every
    // entry it lost for a new program. Between starts the list holds the
    // previous set, and the snapshot (kept before the refresh replaces it) is
    // read for those values only when an entry vanished.
    std::vector<StartupEntry> previous;
    std::string snapshotText;
    if (mode == CheckMode::StartUp) {
        if (!ChangeSnapshotIsWhole()) {
            ScanDriver();
            ShowStatusText(LoadText(IDS_NO_REPORT_FILE));
            return;
        }
        previous = ReadChangeSnapshot();
    } else {
        previous = RowsOfKind(RowKind::Started);
        if (ScheduledTasksUnread()) {
            // The last refresh could not read the scheduler: the snapshot
            // kept its tasks.
            for (StartupEntry& task : SnapshotScheduledTasks()) {
                previous.push_back(std::move(task));
            }
        }
        snapshotText = ReadChangeSnapshotText();
    }

    ScanDriver();
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
    const EntryChanges changes = CompareEntrySets(previous, current, notGone);
    if (mode != CheckMode::StartUp && !changes.vanished.empty()) {
        previous = WithKeptForms(previous, ChangeSnapshotEntries(snapshotText));
    }
    bool windowStays = true;
    bool answered = AskAboutChanges(mode, true, current, changes.added, windowStays);
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
        if (changes.added.empty()) {
            Inform(LoadText(IDS_CHG_NO_NEW));
        }
        if (changes.vanished.empty()) {
            Inform(LoadText(IDS_CHG_NO_REMOVED));
        }
    }
    // The list shows the effect of the answers; when nothing was answered
    // Yes, the list of the first refresh is current.
    if (answered && !WindowGone()) {
        ScanDriver();
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
    // The rows keep only their texts; the values come from the snapshot,
    // which has followed every entry the program moved since the last refresh.
    std::vector<StartupEntry> watched = RowsOfKind(RowKind::Started);
    if (ScheduledTasksUnread()) {
        for (StartupEntry& task : SnapshotScheduledTasks()) {
            watched.push_back(std::move(task));
        }
    }
    WriteChangeSnapshot(WithKeptForms(watched, ReadChangeSnapshot()));
}

} // namespace kv
