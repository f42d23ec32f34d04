#include "shell/entry_actions.h"

#include "entries/location_dispatch.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "shell/app_state.h"
#include "shell/entry_list.h"
#include "shell/message_boxes.h"
#include "shell/outcome_report.h"
#include "shell/scan_driver.h"
#include "base/strings.h"
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

void ShowNow(const std::string& text) {
    g_app.PendingStatusText = text;
    ShowStatusText(g_app.PendingStatusText);
    g_app.PendingStatusText.clear();
}

// The texts of the disabled rows, top first; `alsoRow` (a row whose box was
// just set again) counts as disabled here, and `alsoIndex` learns its place.
std::vector<StartupEntry> DisabledRowTexts(int alsoRow, int* alsoIndex) {
    std::vector<StartupEntry> rows;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        if (RowUnchecked(row) || row == alsoRow) {
            if (row == alsoRow && alsoIndex != nullptr) {
                *alsoIndex = static_cast<int>(rows.size());
            }
            rows.push_back(RowTexts(row));
        }
    }
    return rows;
}

// The disabled rows, top first, each with what its record keeps.
std::vector<StartupEntry> DisabledRows(const std::vector<StartupEntry>& stored, int alsoRow,
                                       int* alsoIndex) {
    return WithKeptForms(DisabledRowTexts(alsoRow, alsoIndex), stored);
}

// During "Включить всё" and "Отключить всё": when the last row's change
// left the store as the disabled rows one for one, this row's place among
// the disabled rows is the number of disabled rows above it, and the store
// need not be matched against every row again. The flag is used once.
bool PlaceKnownInBulk(const std::vector<StartupEntry>& stored, int row, bool rowStored,
                      int* index) {
    const bool inStep = g_app.BulkCheck && g_app.BulkStoreInStep && DisabledStoreIsOwnWrite();
    g_app.BulkStoreInStep = false;
    if (!inStep || g_app.BulkDisabledAbove < 0) {
        return false;
    }
    const std::size_t place = static_cast<std::size_t>(g_app.BulkDisabledAbove);
    if (rowStored) {
        if (place >= stored.size()) {
            return false;
        }
        if (!SameTexts(RowTexts(row), stored[place])) {
            return false;
        }
    } else if (place > stored.size()) {
        return false;
    }
    *index = static_cast<int>(place);
    return true;
}

// Deletes an enabled entry from its location, and then from the snapshot.
void RemoveAndForget(const StartupEntry& entry) {
    const LocationOutcome outcome = RemoveEntry(entry.title, entry.command, entry.location);
    if (outcome.succeeded()) {
        SnapshotRemoveEntry(entry);
    }
    ReportOutcome(outcome);
}

} // namespace

bool SaveDisabledRows(const std::vector<StartupEntry>& alsoStored) {
    std::vector<StartupEntry> stored = ReadDisabledEntries();
    stored.insert(stored.end(), alsoStored.begin(), alsoStored.end());
    return WriteDisabledStore(DisabledRows(stored, -1, nullptr));
}

bool EnableEntry(int row) {
    // The store as it stands is the disabled rows, this one included, when
    // their texts match one for one; else it is made so from the rows.
    int index = -1;
    const std::vector<StartupEntry>& stored = CurrentDisabledEntries();
    if (!DisabledStoreMayChange()) {
        // What the entry kept is in the records that could not be read: it
        // stays disabled, and the store as it is.
        SetRowBox(row, false);
        ShowNow(LoadText(DisabledStoreFailureText()));
        return false;
    }
    const bool matched =
        PlaceKnownInBulk(stored, row, true, &index) || DisabledRowsMatch(stored, row, true, &index);
    std::vector<StartupEntry> disabled;
    if (!matched) {
        disabled = DisabledRows(stored, row, &index);
    }
    const StartupEntry entry = matched ? stored.at(static_cast<std::size_t>(index))
                                       : disabled.at(static_cast<std::size_t>(index));
    // The snapshot has the entry before its location does: a start after an
    // end here finds it in the store, which says the program moved it.
    const bool inSnapshot = SnapshotAddEntry(entry);
    const LocationOutcome outcome = WriteKeptEntry(entry);
    if (!outcome.succeeded()) {
        if (inSnapshot) {
            SnapshotRemoveEntry(entry);
        }
        ReportOutcome(outcome);
        SetRowBox(row, false);
        const std::string failure =
            g_app.PendingStatusText.empty()
                ? LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_NOT_CREATED)
                : g_app.PendingStatusText;
        ShowNow(failure);
        return false;
    }
    bool written = false;
    if (matched) {
        written = EraseDisabledEntry(static_cast<std::size_t>(index));
    } else {
        disabled.erase(disabled.begin() + index);
        written = WriteDisabledStore(disabled);
    }
    if (!written) {
        // The entry is active again; its old record stays in the store, with
        // what it keeps, until the next refresh finds it in both places.
        ShowNow(LoadText(DisabledStoreFailureText()));
        return true;
    }
    DiscardKeptFile(entry.kept.file);
    g_app.BulkStoreInStep = g_app.BulkCheck;
    ShowNow(LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_WAS_ENABLED));
    return true;
}

bool DisableEntry(int row) {
    StartupEntry entry = RowTexts(row);
    // What the location holds for the entry is taken first, so that enabling
    // puts back exactly that; an entry that could not come back whole is not
    // taken out.
    LocationOutcome refusal;
    if (!KeepEntryForm(entry, NewKeptFilePath, refusal)) {
        SetRowBox(row, true);
        ShowNow(OutcomeStatusText(refusal));
        return false;
    }
    // The record is made next: if the entry then cannot leave its location,
    // the record is taken back; if the store cannot be written, the location
    // is not touched. Either way the entry stays in exactly one place. Last
    // the snapshot lets it go: until then a start finds it in the store, and
    // takes that for the program's own move.
    // The new record goes where its row stands among the disabled rows; when
    // the store is not the other disabled rows one for one, it is made so.
    int index = -1;
    bool written = false;
    const std::vector<StartupEntry>& current = CurrentDisabledEntries();
    if (PlaceKnownInBulk(current, row, false, &index) ||
        DisabledRowsMatch(current, row, false, &index)) {
        written = InsertDisabledEntry(static_cast<std::size_t>(index), entry);
    } else {
        const std::vector<StartupEntry> rows = DisabledRowTexts(row, &index);
        std::vector<StartupEntry> stored = ReadDisabledEntries();
        stored.insert(stored.begin() +
                          std::min<std::ptrdiff_t>(index < 0 ? 0 : index,
                                                   static_cast<std::ptrdiff_t>(stored.size())),
                      entry);
        written = WriteDisabledStore(WithKeptForms(rows, stored));
    }
    if (!written) {
        DiscardKeptFile(entry.kept.file);
        SetRowBox(row, true);
        ShowNow(LoadText(DisabledStoreFailureText()));
        return false;
    }
    const LocationOutcome outcome = RemoveEntry(entry.title, entry.command, entry.location);
    if (!outcome.succeeded()) {
        SetRowBox(row, true);
        if (SaveDisabledRows()) {
            DiscardKeptFile(entry.kept.file);
        }
        const std::string failure =
            outcome.kind == OutcomeKind::None
                ? LoadText(IDS_SVC_CANT_DELETE) + entry.command + LoadText(IDS_SVC_CANT_DELETE_TAIL)
                : OutcomeStatusText(outcome);
        ShowNow(failure);
        return false;
    }
    SnapshotRemoveEntry(entry);
    g_app.BulkStoreInStep = g_app.BulkCheck;
    ShowNow(LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_WAS_DISABLED));
    return true;
}

void DeleteSelectedEntries() {
    g_app.ListBusy = true;
    const int selected = SelectedCount();
    // What the records of the disabled rows keep: the kept files of the
    // deleted ones go with their records.
    const std::vector<StartupEntry> stored = ReadDisabledEntries();
    std::vector<std::string> discarded;
    if (selected == 1) {
        const int row = FirstSelectedRow();
        const StartupEntry entry = ReadRow(row);
        const bool disabled = RowUnchecked(row);
        if (ConfirmRows(DeleteQuestion(), 1,
                        entry.title.empty() ? LoadText(IDS_THIS_PROGRAM) : entry.title)) {
            if (disabled) {
                // Only its record goes; no location is touched, no refresh.
                int index = -1;
                const std::vector<StartupEntry> before = DisabledRows(stored, row, &index);
                discarded.push_back(before.at(static_cast<std::size_t>(index)).kept.file);
                DeleteEntryRow(row);
                if (SaveDisabledRows()) {
                    DiscardKeptFile(discarded.back());
                } else {
                    ShowStatusText(LoadText(DisabledStoreFailureText()));
                }
                UpdateCountText();
            } else {
                RemoveAndForget(entry);
                ScanDriver();
            }
        }
    } else if (selected > 1) {
        if (ConfirmRows(DeleteQuestion(), static_cast<std::size_t>(selected), std::string())) {
            const std::vector<StartupEntry> disabled = DisabledRows(stored, -1, nullptr);
            std::vector<StartupEntry> keptDisabled;
            std::size_t disabledIndex = 0;
            const int count = RowCount();
            for (int row = 0; row < count; ++row) {
                const bool isSelected = RowSelected(row);
                const bool isDisabled = RowUnchecked(row);
                if (isSelected && !isDisabled) {
                    RemoveAndForget(ReadRow(row));
                } else if (isDisabled) {
                    const StartupEntry& entry = disabled.at(disabledIndex);
                    if (isSelected) {
                        discarded.push_back(entry.kept.file);
                    } else {
                        keptDisabled.push_back(entry);
                    }
                }
                disabledIndex += isDisabled ? 1 : 0;
            }
            // The store keeps exactly the disabled entries that were not selected.
            if (WriteDisabledStore(keptDisabled)) {
                for (const std::string& file : discarded) {
                    DiscardKeptFile(file);
                }
            } else {
                g_app.PendingStatusText = LoadText(DisabledStoreFailureText());
            }
            ScanDriver();
        }
    }
    g_app.ListBusy = false;
}

} // namespace kv
