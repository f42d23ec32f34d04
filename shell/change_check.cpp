#include "shell/change_check.h"

#include "base/strings.h"
#include "entries/location_dispatch.h"
#include "records/change_snapshot.h"
#include "records/entry_records.h"
#include "shell/app_state.h"
#include "shell/entry_list.h"
#include "shell/message_boxes.h"
#include "shell/monitoring_timer.h"
#include "shell/outcome_report.h"
#include "shell/scan_driver.h"
#include "shell/status_bar.h"
#include "resource.h"

#include <windows.h>

#include <vector>

namespace kv {

namespace {

std::string Question(UINT head, const StartupEntry& entry, UINT ask) {
    return LoadText(head) + LoadText(IDS_CHG_TITLE) + entry.title + LoadText(IDS_CHG_COMMAND) +
           entry.command + LoadText(IDS_CHG_LOCATION) + entry.location + LoadText(ask);
}

// Asks about one change; true for Yes. A timed check's question has no
// owner and comes to the front (the window is hidden or minimised then); the
// timer is stopped before it, so no second check starts behind it.
bool Ask(CheckMode mode, const std::string& text, UINT caption) {
    UINT flags = MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON2;
    HWND owner = nullptr;
    if (mode == CheckMode::Timed) {
        StopMonitoringTimer();
        flags |= MB_SETFOREGROUND;
    } else if (mode == CheckMode::Manual) {
        owner = g_app.mainWindow;
    }
    return MessageBoxA(owner, text.c_str(), LoadText(caption).c_str(), flags) == IDYES;
}

// The check ends early when the program was ended while a question was open.
bool WindowGone() {
    return g_app.mainWindow == nullptr || g_app.entryList == nullptr;
}

} // namespace

void CheckForChanges(CheckMode mode) {
    const bool timed = mode == CheckMode::Timed;
    const RunningSettings& settings = g_app.settings;
    if (timed && settings.NewMon == 0 && settings.OldMon == 0) {
        return;
    }
    // One check at a time: a check started while another one waits for an
    // answer would rebuild the list under it.
    if (g_app.CheckBusy) {
        return;
    }
    g_app.CheckBusy = true;

    // The previous set, with the values its entries held as the last refresh
    // saw them, so that a vanished one is put back as it was.
    std::vector<StartupEntry> previous;
    if (mode == CheckMode::StartUp) {
        // A damaged report.ini is no snapshot: comparing with part of one
        // would take every entry it lost for a new program.
        if (!ChangeSnapshotIsWhole()) {
            ScanDriver();
            ShowStatusText(LoadText(IDS_NO_REPORT_FILE));
            g_app.CheckBusy = false;
            return;
        }
        previous = ReadChangeSnapshot();
    } else {
        previous = WithKeptForms(RowsOfKind(RowKind::Enabled), ReadChangeSnapshot());
    }

    ScanDriver();
    const std::vector<StartupEntry> current = RowsOfKind(RowKind::Enabled);
    // What went into the store since was disabled by this program.
    const EntryChanges changes = CompareEntrySets(previous, current, RowsOfKind(RowKind::Disabled));

    for (const std::size_t index : changes.added) {
        if (timed && settings.NewMon == 0) {
            continue; // taken in silently
        }
        const StartupEntry& entry = current[index];
        if (Ask(mode, Question(IDS_CHG_NEW_HEAD, entry, IDS_CHG_ASK_DELETE), IDS_CHG_NEW_CAPTION)) {
            const LocationOutcome outcome = RemoveEntry(entry.title, entry.command, entry.location);
            if (outcome.succeeded()) {
                SnapshotRemoveEntry(entry);
            }
            ReportOutcomeLater(outcome);
        }
        if (WindowGone()) {
            g_app.CheckBusy = false;
            return;
        }
    }
    for (const std::size_t index : changes.vanished) {
        if (timed && settings.OldMon == 0) {
            continue;
        }
        const StartupEntry& entry = previous[index];
        if (Ask(mode, Question(IDS_CHG_OLD_HEAD, entry, IDS_CHG_ASK_RESTORE),
                IDS_CHG_OLD_CAPTION)) {
            // Into the snapshot first, so that an end before the closing
            // refresh does not take it for a new program.
            const bool inSnapshot = SnapshotAddEntry(entry);
            const LocationOutcome outcome = WriteKeptEntry(entry);
            if (!outcome.succeeded() && inSnapshot) {
                SnapshotRemoveEntry(entry);
            }
            ReportOutcomeLater(outcome);
        }
        if (WindowGone()) {
            g_app.CheckBusy = false;
            return;
        }
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
    if (!WindowGone()) {
        ScanDriver();
    }
    g_app.CheckBusy = false;
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
    WriteChangeSnapshot(WithKeptForms(RowsOfKind(RowKind::Enabled), ReadChangeSnapshot()));
}

} // namespace kv
