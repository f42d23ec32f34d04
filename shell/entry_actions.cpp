#include "shell/entry_actions.h"

#include "entries/location_dispatch.h"
#include "records/disabled_store.h"
#include "shell/app_state.h"
#include "shell/entry_list.h"
#include "shell/outcome_report.h"
#include "shell/scan_driver.h"
#include "shell/strings.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <vector>

namespace kv {

namespace {

// Sets or clears a row's box without the change being taken as the user's.
void RestoreCheck(int row, bool checked) {
    const bool busy = g_app.ListBusy;
    g_app.ListBusy = true;
    ListView_SetCheckState(g_app.entryList, row, checked ? TRUE : FALSE);
    g_app.ListBusy = busy;
}

void ShowNow(const std::string& text) {
    g_app.PendingStatusText = text;
    ShowStatusText(g_app.PendingStatusText);
    g_app.PendingStatusText.clear();
}

bool Ask(const std::string& question) {
    return MessageBoxA(g_app.mainWindow, question.c_str(), "Kelvorin",
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

} // namespace

bool SaveDisabledRows() {
    std::vector<StartupEntry> disabled;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        if (RowUnchecked(row)) {
            StartupEntry entry;
            entry.title = RowText(row, kColumnTitle);
            entry.command = RowText(row, kColumnCommand);
            entry.location = RowText(row, kColumnLocation);
            disabled.push_back(std::move(entry));
        }
    }
    return WriteDisabledStore(disabled);
}

bool EnableEntry(int row) {
    const StartupEntry entry = ReadRow(row);
    const LocationOutcome outcome = WriteEntry(entry.title, entry.command, entry.location);
    if (!outcome.succeeded()) {
        ReportOutcome(outcome);
        RestoreCheck(row, false);
        const std::string failure =
            g_app.PendingStatusText.empty()
                ? LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_NOT_CREATED)
                : g_app.PendingStatusText;
        ShowNow(failure);
        return false;
    }
    if (!SaveDisabledRows()) {
        // The entry is active again; its old record stays in the store, so the
        // next refresh lists it twice rather than lose it.
        ShowNow(LoadText(IDS_STORE_NOT_WRITTEN));
        return true;
    }
    ShowNow(LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_WAS_ENABLED));
    return true;
}

bool DisableEntry(int row) {
    const StartupEntry entry = ReadRow(row);
    if (!CanBeWrittenBack(entry.title, entry.command, entry.location)) {
        RestoreCheck(row, true);
        ShowNow(LoadText(IDS_SVC) + entry.title + LoadText(IDS_NO_WRITER_DISABLE));
        return false;
    }
    // The record is made first: if the entry then cannot leave its location,
    // the record is taken back; if the store cannot be written, the location
    // is not touched. Either way the entry stays in exactly one place.
    if (!SaveDisabledRows()) {
        RestoreCheck(row, true);
        ShowNow(LoadText(IDS_STORE_NOT_WRITTEN));
        return false;
    }
    const LocationOutcome outcome = RemoveEntry(entry.title, entry.command, entry.location);
    if (!outcome.succeeded()) {
        RestoreCheck(row, true);
        SaveDisabledRows();
        const std::string failure =
            outcome.kind == OutcomeKind::None
                ? LoadText(IDS_SVC_CANT_DELETE) + entry.command + LoadText(IDS_SVC_CANT_DELETE_TAIL)
                : OutcomeStatusText(outcome);
        ShowNow(failure);
        return false;
    }
    ShowNow(LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_WAS_DISABLED));
    return true;
}

void DeleteSelectedEntries() {
    g_app.ListBusy = true;
    const int selected = SelectedCount();
    if (selected == 1) {
        const int row = FirstSelectedRow();
        const StartupEntry entry = ReadRow(row);
        const bool disabled = RowUnchecked(row);
        const std::string question =
            LoadText(IDS_ASK_DELETE) +
            (entry.title.empty() ? LoadText(IDS_THIS_PROGRAM) : entry.title) + " ?";
        if (g_app.settings.SingleDel == 0 || Ask(question)) {
            if (disabled) {
                // Only its record goes; no location is touched, no refresh.
                SendMessageA(g_app.entryList, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
                if (!SaveDisabledRows()) {
                    ShowStatusText(LoadText(IDS_STORE_NOT_WRITTEN));
                }
                UpdateCountText();
            } else {
                ReportOutcome(RemoveEntry(entry.title, entry.command, entry.location));
                ScanDriver();
            }
        }
    } else if (selected > 1) {
        const std::string question =
            LoadText(IDS_ASK_DELETE) + std::to_string(selected) + " " + LoadText(IDS_PROGRAMS_Q);
        if (g_app.settings.MultiDel == 0 || Ask(question)) {
            std::vector<StartupEntry> keptDisabled;
            const int count = RowCount();
            for (int row = 0; row < count; ++row) {
                const bool isSelected = RowSelected(row);
                const bool isDisabled = RowUnchecked(row);
                if (isSelected && !isDisabled) {
                    const StartupEntry entry = ReadRow(row);
                    ReportOutcome(RemoveEntry(entry.title, entry.command, entry.location));
                } else if (!isSelected && isDisabled) {
                    keptDisabled.push_back(ReadRow(row));
                }
            }
            // The store keeps exactly the disabled entries that were not selected.
            if (!WriteDisabledStore(keptDisabled)) {
                g_app.PendingStatusText = LoadText(IDS_STORE_NOT_WRITTEN);
            }
            ScanDriver();
        }
    }
    g_app.ListBusy = false;
}

} // namespace kv
