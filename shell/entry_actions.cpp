#include "shell/entry_actions.h"

#include "base/strings.h"
#include "entries/catalogue.h"
#include "entries/location_dispatch.h"
#include "entries/registry.h"
#include "entries/startup_switch.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "shell/app_state.h"
#include "shell/disabled_rows.h"
#include "shell/entry_list.h"
#include "shell/message_boxes.h"
#include "shell/outcome_report.h"
#include "shell/scan_driver.h"
#include "shell/status_bar.h"
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

std::string EnabledText(const StartupEntry& entry) {
    return LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_WAS_ENABLED);
}

std::string DisabledText(const StartupEntry& entry) {
    return LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_WAS_DISABLED);
}

// Why an entry did not go back into its location.
std::string NotWrittenText(const StartupEntry& entry, const LocationOutcome& outcome) {
    const std::string text = ReportOutcome(outcome);
    return text.empty() ? LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_NOT_CREATED) : text;
}

// Why an entry did not leave its location.
std::string NotRemovedText(const StartupEntry& entry, const LocationOutcome& outcome) {
    return outcome.kind == OutcomeKind::None
               ? LoadText(IDS_SVC_CANT_DELETE) + entry.command + LoadText(IDS_SVC_CANT_DELETE_TAIL)
               : OutcomeStatusText(outcome);
}

// Deletes an enabled entry from its location, and then from the snapshot.
// Its Windows switch goes too: left behind, it would silently turn off a
// later entry of the same name.
void RemoveAndForget(const StartupEntry& entry) {
    const LocationOutcome outcome = RemoveEntry(entry);
    if (outcome.succeeded()) {
        SnapshotRemoveEntry(entry);
        DeleteSwitch(entry);
    }
    ReportOutcomeLater(outcome);
}

// The rows of a kind, top first: whose box is set, that are disabled (only
// in the store), or that Windows' own switch turns off.
enum class RowsOf { BoxSet, Disabled, SwitchedOff };
std::vector<int> Rows(RowsOf kind) {
    std::vector<int> rows;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        const bool of = kind == RowsOf::BoxSet     ? RowBoxSet(row)
                        : kind == RowsOf::Disabled ? RowUnchecked(row)
                                                   : RowSwitchedOff(row);
        if (of) {
            rows.push_back(row);
        }
    }
    return rows;
}

// While the program rebuilds the list itself, only the boxes change.
bool OnlyBoxesChange(const std::vector<int>& rows, bool checked) {
    if (!g_app.ListBusy && !g_app.CheckBusy) {
        return false;
    }
    for (int row : rows) {
        SetRowBox(row, checked);
    }
    return true;
}

// Turns on Windows' own switch of an entry just put back; a switch that
// stays off leaves the row's box clear, and its text says why.
bool SwitchOnAfterWrite(int row, const StartupEntry& entry, std::string& status) {
    if (TurnSwitchOn(entry)) {
        return true;
    }
    SetRowSwitchedOff(row, true);
    status = LoadText(IDS_SVC) + entry.title + LoadText(IDS_SWITCH_NOT_ON);
    return false;
}

} // namespace

bool EnableEntry(int row) {
    StartupEntry entry;
    if (!DisabledStoreMayChange() || !StoredEntryOfRow(row, entry)) {
        // What the entry kept is in records that could not be read: it stays
        // disabled, and the store as it is.
        SetRowBox(row, false);
        ShowStatusText(LoadText(DisabledStoreFailureText()));
        return false;
    }
    // The snapshot has the entry before its location does: a start after an
    // end here finds it in the store, which says the program moved it.
    const bool inSnapshot = SnapshotAddEntry(entry);
    const LocationOutcome outcome = WriteKeptEntry(entry);
    if (!outcome.succeeded()) {
        if (inSnapshot) {
            SnapshotRemoveEntry(entry);
        }
        SetRowBox(row, false);
        ShowStatusText(NotWrittenText(entry, outcome));
        return false;
    }
    // A set box means Windows starts it: its own switch goes on too.
    std::string status = EnabledText(entry);
    SwitchOnAfterWrite(row, entry, status);
    if (!ForgetRow(row)) {
        // The entry is active again; its record stays in the store, with
        // what it keeps, until the next refresh finds it in both places.
        ShowStatusText(LoadText(DisabledStoreFailureText()));
        return true;
    }
    DiscardKeptFile(entry.kept.file);
    ShowStatusText(status);
    return true;
}

bool TurnSwitchOnForRow(int row) {
    const StartupEntry entry = RowTexts(row);
    std::string status = EnabledText(entry);
    const bool on = SwitchOnAfterWrite(row, entry, status);
    if (on) {
        SetRowSwitchedOff(row, false);
    }
    ShowStatusText(status);
    return on;
}

bool DisableEntry(int row) {
    // What the location holds for the entry is taken first, so that enabling
    // puts back exactly that; an entry that could not come back whole is not
    // taken out. The record is made next, before the entry leaves, so that it
    // is always in its location, in the store, or in both; last the snapshot
    // lets it go: until then a start finds it in the store, and takes that
    // for the program's own move.
    StartupEntry entry = RowTexts(row);
    LocationOutcome refusal;
    if (!KeepEntryForm(entry, NewKeptFilePath, refusal)) {
        SetRowBox(row, true);
        ShowStatusText(OutcomeStatusText(refusal));
        return false;
    }
    if (!RecordRow(row, entry)) {
        DiscardKeptFile(entry.kept.file);
        SetRowBox(row, true);
        ShowStatusText(LoadText(DisabledStoreFailureText()));
        return false;
    }
    const LocationOutcome outcome = RemoveEntry(entry);
    if (!outcome.succeeded()) {
        SetRowBox(row, true);
        if (SaveDisabledRows()) {
            DiscardKeptFile(entry.kept.file);
        }
        ShowStatusText(NotRemovedText(entry, outcome));
        return false;
    }
    SnapshotRemoveEntry(entry);
    ShowStatusText(DisabledText(entry));
    return true;
}

void UncheckAllRows() {
    const std::vector<int> rows = Rows(RowsOf::BoxSet);
    if (OnlyBoxesChange(rows, false)) {
        return;
    }
    // Every entry's form is kept and the store written once with all of
    // them, each at its row's place; then they leave their locations, and
    // the snapshot learns of it once. An end between the two writes leaves
    // some entries in both places, which the next refresh resolves. Each
    // key is opened once for all of its values, and the list drawn once.
    const SharedKeysScope keys;
    const ListDrawingPaused drawing;
    std::vector<StartupEntry> kept;
    std::vector<int> keptRows;
    kept.reserve(rows.size());
    keptRows.reserve(rows.size());
    std::string status;
    // The rows' texts are taken once, for the forms and for the store.
    std::vector<RowState> states = ListRowStates();
    for (int row : rows) {
        StartupEntry entry = states[static_cast<std::size_t>(row)].texts;
        LocationOutcome refusal;
        if (KeepEntryForm(entry, NewKeptFilePath, refusal)) {
            kept.push_back(std::move(entry));
            keptRows.push_back(row);
        } else {
            status = OutcomeStatusText(refusal);
        }
    }
    for (int row : keptRows) {
        states[static_cast<std::size_t>(row)].disabled = true;
    }
    if (!WriteDisabledStore(StoreForRows(std::move(states), CurrentDisabledEntries(), kept))) {
        for (const StartupEntry& entry : kept) {
            DiscardKeptFile(entry.kept.file);
        }
        ShowStatusText(LoadText(DisabledStoreFailureText()));
        return;
    }
    std::vector<StartupEntry> removed;
    std::vector<StartupEntry> stayed;
    removed.reserve(kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const LocationOutcome outcome = RemoveEntry(kept[i]);
        if (i + 1 == kept.size()) { // the status bar tells of the last entry
            status = outcome.succeeded() ? DisabledText(kept[i]) : NotRemovedText(kept[i], outcome);
        }
        if (outcome.succeeded()) {
            SetRowBox(keptRows[i], false);
            removed.push_back(std::move(kept[i]));
        } else {
            stayed.push_back(std::move(kept[i]));
        }
    }
    SnapshotMoveEntries(removed, {});
    // Entries that did not leave lose their records and copies again.
    if (!stayed.empty() && SaveDisabledRows()) {
        for (const StartupEntry& entry : stayed) {
            DiscardKeptFile(entry.kept.file);
        }
    }
    ShowStatusText(status);
    UpdateCountText();
}

void CheckAllRows() {
    const std::vector<int> rows = Rows(RowsOf::Disabled);
    if (OnlyBoxesChange(rows, true)) {
        return;
    }
    // Entries that Windows' own switch turns off need only the switch on.
    const std::vector<int> switched = Rows(RowsOf::SwitchedOff);
    for (int row : switched) {
        TurnSwitchOnForRow(row);
    }
    if (rows.empty()) {
        if (!switched.empty()) {
            UpdateCountText();
        }
        return;
    }
    if (!DisabledStoreMayChange()) {
        ShowStatusText(LoadText(DisabledStoreFailureText()));
        return;
    }
    std::string status;
    // The snapshot learns of every entry first, then they go back into
    // their locations, and the store is written once without them. An end
    // between leaves some entries in both places, which the next refresh
    // resolves. Each key is opened once for all of its values, and the list
    // drawn once.
    const SharedKeysScope keys;
    const ListDrawingPaused drawing;
    // Windows' switches are read once: only an entry whose switch is off
    // needs it turned on.
    const SwitchedOffEntries switchedOff = SwitchedOffEntries::Read();
    const std::vector<StartupEntry> stored =
        StoreForRows(ListRowStates(), CurrentDisabledEntries());
    SnapshotMoveEntries({}, stored);
    std::vector<bool> wentBack(stored.size(), false);
    std::vector<StartupEntry> notBack;
    const std::size_t count = std::min(rows.size(), stored.size());
    for (std::size_t i = 0; i < count; ++i) {
        const LocationOutcome outcome = WriteKeptEntry(stored[i]);
        // The status bar tells of the last entry.
        if (!outcome.succeeded()) {
            notBack.push_back(stored[i]);
            status = NotWrittenText(stored[i], outcome);
            continue;
        }
        SetRowBox(rows[i], true);
        wentBack[i] = true;
        status.clear();
        if (!switchedOff.empty() &&
            switchedOff.Contains(ClassifyLocation(stored[i].location), stored[i])) {
            SwitchOnAfterWrite(rows[i], stored[i], status);
        }
        if (status.empty() && i + 1 == count) {
            status = EnabledText(stored[i]);
        }
    }
    SnapshotMoveEntries(notBack, {});
    if (notBack.size() < count) {
        if (SaveDisabledRows()) {
            for (std::size_t i = 0; i < stored.size(); ++i) {
                if (wentBack[i]) {
                    DiscardKeptFile(stored[i].kept.file);
                }
            }
        } else {
            status = LoadText(DisabledStoreFailureText());
        }
    }
    ShowStatusText(status);
    UpdateCountText();
}

void DeleteSelectedEntries() {
    FlagScope busy(g_app.ListBusy);
    const std::vector<int> selected = SelectedRows();
    const std::string title = selected.size() == 1 ? RowText(selected[0], kColumnTitle) : "";
    if (selected.empty() || !ConfirmRows(DeleteQuestion(), selected.size(),
                                         title.empty() ? LoadText(IDS_THIS_PROGRAM) : title)) {
        return;
    }
    // What the records of the disabled rows keep: the kept files of the
    // deleted ones go with their records.
    const std::vector<RowState> before = ListRowStates();
    const std::vector<StartupEntry> disabled = StoreForRows(before, CurrentDisabledEntries());
    if (selected.size() == 1 && before[static_cast<std::size_t>(selected[0])].disabled) {
        // Only its record goes; no location is touched, no refresh.
        const std::string file =
            disabled.at(PlaceAmongDisabled(before, static_cast<std::size_t>(selected[0])))
                .kept.file;
        DeleteSwitch(before[static_cast<std::size_t>(selected[0])].texts);
        DeleteEntryRow(selected[0]);
        if (SaveDisabledRows()) {
            DiscardKeptFile(file);
        } else {
            ShowStatusText(LoadText(DisabledStoreFailureText()));
        }
        UpdateCountText();
        return;
    }
    // Selected active entries leave their locations; the store keeps
    // exactly the disabled entries that were not selected.
    std::vector<StartupEntry> keptDisabled;
    std::vector<std::string> discarded;
    std::size_t place = 0;
    for (std::size_t row = 0; row < before.size(); ++row) {
        const bool isSelected = RowSelected(static_cast<int>(row));
        if (!before[row].disabled) {
            if (isSelected) {
                RemoveAndForget(before[row].texts);
            }
            continue;
        }
        const StartupEntry& entry = disabled.at(place++);
        if (isSelected) {
            DeleteSwitch(entry);
            discarded.push_back(entry.kept.file);
        } else {
            keptDisabled.push_back(entry);
        }
    }
    if (WriteDisabledStore(keptDisabled)) {
        for (const std::string& file : discarded) {
            DiscardKeptFile(file);
        }
    } else {
        g_app.PendingStatusText = LoadText(DisabledStoreFailureText());
    }
    ScanDriver();
}

} // namespace kv
