#include "shell/actions/entry_actions.h"

#include "base/strings.h"
#include "dialogs/delay_dialog.h"
#include "entries/catalogue.h"
#include "entries/entry_identity.h"
#include "entries/startup_folder.h"
#include "moves/bulk_moves.h"
#include "moves/entry_moves.h"
#include "moves/own_autostart.h"
#include "moves/task_moves.h"
#include "records/entry_records.h"
#include "records/settings_store.h"
#include "shell/frame/app_state.h"
#include "shell/list/disabled_rows.h"
#include "shell/list/entry_list.h"
#include "shell/frame/message_boxes.h"
#include "shell/frame/outcome_report.h"
#include "shell/list/scan_driver.h"
#include "shell/list/status_bar.h"
#include "resource.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace kv {

namespace {

RowsQuestion DeleteQuestion() {
    return {IDS_ASK_DELETE, IDS_ASK_DELETE, IDS_PROGRAMS_Q, g_app.settings.SingleDel,
            g_app.settings.MultiDel};
}

// Replacing an entry of the same name is asked in a box of the main window.
bool AskToReplace(const std::string& question) {
    return Ask(question, g_app.mainWindow);
}

// The rows of a kind, top first: whose box is set, that are disabled (only
// in the store, and not delayed), or that Windows' own switch turns off.
enum class RowsOf { BoxSet, Disabled, SwitchedOff };
std::vector<int> Rows(RowsOf kind) {
    std::vector<int> rows;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        const bool of = kind == RowsOf::BoxSet     ? RowBoxSet(row)
                        : kind == RowsOf::Disabled ? RowUnchecked(row) && RowDelay(row) == 0
                                                   : RowSwitchedOff(row);
        if (of) {
            rows.push_back(row);
        }
    }
    return rows;
}

std::size_t PlaceOf(int row) {
    return PlacesAmongDisabled({row}).front();
}

// The texts of the disabled rows, top first, `row` counted as disabled or not.
std::vector<StartupEntry> DisabledRowTexts(int row, bool rowDisabled) {
    std::vector<StartupEntry> texts;
    const int count = RowCount();
    for (int at = 0; at < count; ++at) {
        if (at == row ? rowDisabled : RowUnchecked(at)) {
            texts.push_back(RowTexts(at));
        }
    }
    return texts;
}

// While the program asks or rebuilds the list itself, the user's changes of
// the set wait: the rows may not be what the store holds.
bool RefusedWhileBusy() {
    if (!g_app.ListBusy && !g_app.CheckBusy) {
        return false;
    }
    ShowStatusText(LoadText(IDS_WAIT_FOR_CHECK));
    return true;
}

// A move found the location other than the row shows it: the list is read
// again, and says why.
void RefreshAfterStale(const MoveOutcome& outcome) {
    g_app.PendingStatusText = outcome.text;
    ScanDriver();
}

// After a bulk move: its text and the counts, or, when some entry was not
// as its row showed it, the list read again.
void ShowBulkOutcome(const std::string& text, bool readAgain) {
    if (readAgain) {
        g_app.PendingStatusText = text;
        ScanDriver();
        return;
    }
    ShowStatusText(text);
    UpdateCountText();
}

// A delayed row's box was cleared: the entry stays in the store, a plain
// disabled one.
bool KeepRowDisabled(int row) {
    const MoveOutcome outcome =
        KeepDisabled(RowTexts(row), PlaceOf(row), DisabledRowTexts(row, true));
    if (outcome.result == MoveResult::Stale) {
        RefreshAfterStale(outcome);
        return false;
    }
    if (outcome.done()) {
        SetRowDelay(row, 0);
    }
    ShowStatusText(outcome.text);
    return outcome.done();
}

} // namespace

bool EnableEntry(int row) {
    const MoveOutcome outcome =
        PutBack(RowTexts(row), PlaceOf(row), AskToReplace, DisabledRowTexts(row, true));
    if (outcome.result == MoveResult::Stale) {
        RefreshAfterStale(outcome);
        return false;
    }
    if (!outcome.done()) {
        SetRowBox(row, false);
        ReportOutcome(outcome.location);
        ShowStatusText(outcome.text);
        return false;
    }
    SetRowBox(row, true);
    SetRowSwitchedOff(row, outcome.switchStaysOff);
    ShowStatusText(outcome.text);
    return true;
}

bool TurnSwitchOnForRow(int row) {
    if (RowIsTask(row)) {
        return SwitchTaskForRow(row, true);
    }
    const MoveOutcome outcome = SwitchOn(RowTexts(row));
    SetRowSwitchedOff(row, outcome.switchStaysOff);
    ShowStatusText(outcome.text);
    return outcome.done();
}

bool SwitchTaskForRow(int row, bool on) {
    const MoveOutcome outcome = SwitchTaskOf(RowTexts(row), on);
    if (outcome.result == MoveResult::Stale) {
        RefreshAfterStale(outcome);
        return false;
    }
    // Drawn again either way: the box shows the switch as it stands.
    SetRowSwitchedOff(row, outcome.done() ? !on : RowSwitchedOff(row));
    ShowStatusText(outcome.text);
    return outcome.done();
}

bool RefusedForTasks(const std::vector<int>& rows, unsigned text) {
    for (int row : rows) {
        if (RowIsTask(row)) {
            ShowError(LoadText(text), g_app.mainWindow);
            return true;
        }
    }
    return false;
}

bool DisableEntry(int row) {
    if (RowDelay(row) > 0) {
        return KeepRowDisabled(row);
    }
    const StartupEntry shown = RowTexts(row);
    const MoveOutcome outcome = TakeOut(shown, PlaceOf(row), DisabledRowTexts(row, false));
    if (outcome.result == MoveResult::Stale) {
        RefreshAfterStale(outcome);
        return false;
    }
    if (!outcome.done()) {
        SetRowBox(row, true);
        ShowStatusText(outcome.text);
        return false;
    }
    SetRowBox(row, false);
    if (!SameTexts(shown, outcome.entry)) {
        // What was taken out is not what the row showed: the list shows
        // what the store now keeps.
        RefreshAfterStale(outcome);
        return true;
    }
    ShowStatusText(outcome.text);
    return true;
}

void UncheckAllRows() {
    if (RefusedWhileBusy()) {
        return;
    }
    // Tasks are switched off where they are (each says in the status bar
    // how it went); those a policy holds stay as they are.
    std::vector<int> rows;
    for (int row : Rows(RowsOf::BoxSet)) {
        if (RowDelay(row) > 0) {
            // In the store already: only the delay goes.
            KeepRowDisabled(row);
        } else if (!RowIsTask(row)) {
            rows.push_back(row);
        } else if (!RowByPolicy(row)) {
            SwitchTaskForRow(row, false);
        }
    }
    if (rows.empty()) {
        UpdateCountText();
        return;
    }
    const ListDrawingPaused drawing;
    std::vector<StartupEntry> shown;
    shown.reserve(rows.size());
    // The rows' texts are taken once, for the forms and for the store.
    const std::vector<RowState> states = ListRowStates();
    std::vector<StartupEntry> disabledRows;
    for (const RowState& state : states) {
        if (state.disabled) {
            disabledRows.push_back(state.texts);
        }
    }
    for (int row : rows) {
        shown.push_back(states[static_cast<std::size_t>(row)].texts);
    }
    const BulkOutcome outcome = TakeOutAll(shown, PlacesAmongDisabled(rows), disabledRows);
    bool changed = false;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (outcome.results[i] == MoveResult::Done) {
            SetRowBox(rows[i], false);
            changed = changed || !SameTexts(shown[i], outcome.moved[i]);
        }
    }
    ShowBulkOutcome(outcome.text, outcome.anyStale || changed);
}

void CheckAllRows() {
    if (RefusedWhileBusy()) {
        return;
    }
    const std::vector<int> rows = Rows(RowsOf::Disabled);
    // Entries that Windows' own switch turns off need only the switch on;
    // tasks that a policy holds stay off.
    const std::vector<int> switched = Rows(RowsOf::SwitchedOff);
    for (int row : switched) {
        if (!RowByPolicy(row)) {
            TurnSwitchOnForRow(row);
        }
    }
    if (rows.empty()) {
        if (!switched.empty()) {
            UpdateCountText();
        }
        return;
    }
    const ListDrawingPaused drawing;
    std::vector<StartupEntry> shown;
    shown.reserve(rows.size());
    for (int row : rows) {
        shown.push_back(RowTexts(row));
    }
    // Delayed rows stay as they are: they count among the stored ones.
    const BulkOutcome outcome = PutBackAll(shown, PlacesAmongDisabled(rows), AskToReplace);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (outcome.results[i] == MoveResult::Done) {
            SetRowBox(rows[i], true);
            SetRowSwitchedOff(rows[i], outcome.switchStaysOff[i]);
        } else {
            ReportOutcome(outcome.written[i]); // the writer's own box, where it has one
        }
    }
    ShowBulkOutcome(outcome.text, outcome.anyStale);
}

void DeleteSelectedEntries() {
    if (RefusedWhileBusy()) {
        return;
    }
    FlagScope busy(g_app.ListBusy);
    const std::vector<int> selected = SelectedRows();
    if (RefusedForTasks(selected, IDS_TASK_NO_DELETE)) {
        return;
    }
    const std::string title = selected.size() == 1 ? RowText(selected[0], kColumnTitle) : "";
    if (selected.empty() || !ConfirmRows(DeleteQuestion(), selected.size(),
                                         title.empty() ? LoadText(IDS_THIS_PROGRAM) : title)) {
        return;
    }
    // Active entries leave their locations; the records of disabled ones go
    // from the store in one write, with their kept copies.
    std::vector<StartupEntry> stored;
    std::vector<int> storedRows;
    for (int row : selected) {
        const StartupEntry shown = RowTexts(row);
        if (RowUnchecked(row)) {
            stored.push_back(shown);
            storedRows.push_back(row);
            continue;
        }
        const MoveOutcome outcome = DeleteActive(shown);
        ReportOutcome(outcome.location);
        if (!outcome.text.empty()) {
            g_app.PendingStatusText = outcome.text;
        }
    }
    if (!stored.empty()) {
        const MoveOutcome outcome = DeleteStored(stored, PlacesAmongDisabled(storedRows));
        if (outcome.result == MoveResult::Failed) {
            g_app.PendingStatusText = outcome.text;
        }
        if (selected.size() == 1 && outcome.done()) {
            // Only its record went; no location was touched, no refresh.
            DeleteEntryRow(selected[0]);
            UpdateCountText();
            return;
        }
    }
    ScanDriver();
}

namespace {

// Delayed entries start only when the program starts with Windows, with the
// switch that starts them. False when the user will not have it, or it
// cannot be written (the status bar then says why).
bool OwnStartForDelays() {
    const OwnStartValue own = ReadOwnStartValue();
    if (own.present && own.delayedStarts) {
        return true;
    }
    if (!own.present && !Ask(LoadText(IDS_ASK_OWN_FOR_DELAY), g_app.mainWindow)) {
        return false;
    }
    const MoveOutcome outcome = StoreOwnStartForDelays(ProgramFilePath(), AskToReplace);
    if (!outcome.done()) {
        ReportOutcome(outcome.location);
        ShowStatusText(outcome.text);
        return false;
    }
    return true;
}

} // namespace

bool DelayAllowed(const std::vector<int>& rows) {
    const std::string currentUser = GetStartupFolderPath(kCurrentUserStartup);
    const std::string allUsers = GetStartupFolderPath(kAllUsersStartup);
    for (int row : rows) {
        if (!MayBeDelayed(
                ClassifyLocationIn(RowText(row, kColumnLocation), currentUser, allUsers))) {
            return false;
        }
    }
    return !rows.empty();
}

void DelaySelectedEntries() {
    if (RefusedWhileBusy()) {
        return;
    }
    const std::vector<int> selected = SelectedRows();
    if (selected.empty()) {
        return;
    }
    if (!DelayAllowed(selected)) {
        ShowError(LoadText(IDS_DELAY_REFUSED), g_app.mainWindow);
        return;
    }
    // The dialog shows the rows' own delay when they share one.
    int seconds = RowDelay(selected.front());
    for (int row : selected) {
        if (RowDelay(row) != seconds) {
            seconds = 0;
        }
    }
    if (seconds == 0) {
        seconds = kDefaultDelaySeconds;
    }
    if (!RunDelayDialog(g_app.instance, g_app.mainWindow, seconds)) {
        return;
    }
    if (seconds > 0 && !OwnStartForDelays()) {
        return;
    }
    std::string text;
    bool readAgain = false;
    {
        const FlagScope busy(g_app.ListBusy);
        for (int row : selected) {
            StartupEntry shown = RowTexts(row);
            shown.checked = RowChecked(row);
            shown.delaySeconds = RowDelay(row);
            const bool stored = !shown.checked;
            // A row going into the store is not counted among the disabled rows
            // yet; one in the store is.
            const MoveOutcome outcome =
                Delay(shown, seconds, PlaceOf(row), AskToReplace, DisabledRowTexts(row, stored));
            text = outcome.text;
            if (outcome.result == MoveResult::Stale) {
                readAgain = true;
                break;
            }
            if (!outcome.done()) {
                ReportOutcome(outcome.location);
                break;
            }
            const bool putBack = stored && seconds == 0;
            if (putBack || (!stored && seconds > 0)) {
                SetRowBox(row, putBack);
                SetRowSwitchedOff(row, putBack && outcome.switchStaysOff);
            }
            SetRowDelay(row, putBack ? 0 : seconds);
            // What was taken out is not what the row showed: the list shows
            // what the store now keeps.
            readAgain = readAgain || !SameTexts(shown, outcome.entry);
        }
    }
    ShowBulkOutcome(text, readAgain);
}

} // namespace kv
