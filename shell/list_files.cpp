#include "shell/list_files.h"

#include "entries/command_path.h"
#include "entries/location_dispatch.h"
#include "entries/path_cache.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "records/list_file.h"
#include "records/user_data_folder.h"
#include "shell/app_state.h"
#include "shell/entry_actions.h"
#include "shell/entry_list.h"
#include "shell/outcome_report.h"
#include "shell/scan_driver.h"
#include "shell/strings.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace kv {

namespace {

// The file chosen in the save or open dialog; empty when the user cancels.
std::string ChooseListFile(bool save, UINT title) {
    std::vector<char> file(4096, '\0');
    const std::string caption = LoadText(title);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = g_app.mainWindow;
    dialog.lpstrFilter = "List files (*.ini)\0*.ini\0";
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = caption.c_str();
    dialog.lpstrDefExt = "ini";
    // A file to restore must exist; a file to save may be new, and one that
    // exists is replaced only after the dialog's own question.
    dialog.Flags =
        OFN_EXPLORER | OFN_PATHMUSTEXIST | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
    return chosen ? std::string(file.data()) : std::string();
}

void ShowError(const std::string& text) {
    MessageBoxA(g_app.mainWindow, text.c_str(), "Kelvorin", MB_OK | MB_ICONERROR);
}

// Every row of the list, top first, checked or not, with the value each
// registry entry holds: disabled ones as their records keep it, enabled ones
// as the last refresh saw it.
std::vector<StartupEntry> ListRows() {
    std::vector<StartupEntry> enabled;
    std::vector<StartupEntry> disabled;
    std::vector<bool> isEnabled;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        StartupEntry entry = RowTexts(row);
        entry.checked = RowChecked(row);
        isEnabled.push_back(entry.checked);
        (entry.checked ? enabled : disabled).push_back(std::move(entry));
    }
    enabled = WithKeptForms(enabled, ReadChangeSnapshot());
    disabled = WithKeptForms(disabled, ReadDisabledEntries());
    std::vector<StartupEntry> rows;
    std::size_t nextEnabled = 0;
    std::size_t nextDisabled = 0;
    for (const bool on : isEnabled) {
        StartupEntry entry = on ? enabled[nextEnabled++] : disabled[nextDisabled++];
        entry.checked = on;
        entry.kept.file.clear();
        rows.push_back(std::move(entry));
    }
    return rows;
}

// Why a file read as a list is refused.
UINT ListRefusalText(FileRead read) {
    switch (read) {
    case FileRead::Missing:
        return IDS_LIST_MISSING;
    case FileRead::TooLarge:
        return IDS_LIST_TOO_LARGE;
    case FileRead::Unreadable:
        return IDS_LIST_UNREADABLE;
    case FileRead::Whole:
        break;
    }
    return IDS_NOT_A_LIST;
}

// Saves the list to the path, or to a file chosen in the dialog when the
// path is empty. The file is the target of the next "Сохранить список" only
// when it was written.
void SaveEntryList(UINT title, const std::string& path) {
    const std::string target = path.empty() ? ChooseListFile(true, title) : path;
    if (target.empty()) {
        return;
    }
    if (!WriteListFile(target, ListRows())) {
        ShowError(LoadText(IDS_LIST_NOT_WRITTEN) + target);
        return;
    }
    g_app.LastListPath = target;
}

// The entries of the file, each with what the entry it names kept when it
// was disabled just now (a Startup-folder file, a value's type and bytes),
// else with the value the list holds for it.
std::vector<StartupEntry> WithFormsOfNow(const std::vector<StartupEntry>& entries,
                                         const std::vector<StartupEntry>& stored) {
    std::map<std::string, std::deque<std::size_t>> byTexts;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        byTexts[stored[i].title + '\n' + stored[i].command + '\n' + stored[i].location].push_back(
            i);
    }
    std::vector<StartupEntry> result = entries;
    for (StartupEntry& entry : result) {
        const auto found = byTexts.find(entry.title + '\n' + entry.command + '\n' + entry.location);
        if (found != byTexts.end() && !found->second.empty()) {
            const std::size_t index = found->second.front();
            found->second.pop_front();
            entry.kept = stored[index].kept;
        }
    }
    return result;
}

} // namespace

bool RestoreListFile(const std::string& path) {
    // Nothing is taken out before the file is known to be a whole list, and
    // before the set it replaces is kept where it can be restored from.
    const ListFile list = ReadListFile(path);
    if (!list.valid) {
        ShowError(LoadText(ListRefusalText(list.read)) + path);
        return false;
    }
    const std::string undo = UserDataFolderPath() + "\\before restore.ini";
    if (!WriteListFile(undo, ListRows())) {
        ShowError(LoadText(IDS_UNDO_NOT_WRITTEN) + undo);
        return false;
    }

    // Every active entry is recorded in the store with what its location holds
    // for it, all in one write, before any of them leaves; then they leave one
    // after another. Whatever happens meanwhile, no entry is in neither place.
    std::vector<StartupEntry> stored =
        WithKeptForms(RowsOfKind(RowKind::Disabled), ReadDisabledEntries());
    const std::size_t disabledBefore = stored.size();
    for (const StartupEntry& row : RowsOfKind(RowKind::Enabled)) {
        StartupEntry entry = row;
        LocationOutcome refusal;
        if (KeepEntryForm(entry, NewKeptFilePath, refusal)) {
            stored.push_back(entry); // an entry that cannot be kept stays where it is
        }
    }
    if (!WriteDisabledStore(stored)) {
        for (std::size_t i = disabledBefore; i < stored.size(); ++i) {
            DiscardKeptFile(stored[i].kept.file);
        }
        ShowError(LoadText(DisabledStoreFailureText()));
        return false;
    }
    std::vector<StartupEntry> leftAlone;
    for (std::size_t i = disabledBefore; i < stored.size(); ++i) {
        const StartupEntry& entry = stored[i];
        if (!RemoveEntry(entry.title, entry.command, entry.location).succeeded()) {
            leftAlone.push_back(entry);
        }
    }
    if (!leftAlone.empty()) {
        // Still active: their records and copies go again.
        std::vector<StartupEntry> kept;
        for (const StartupEntry& entry : stored) {
            const bool stays =
                std::find_if(leftAlone.begin(), leftAlone.end(), [&](const StartupEntry& other) {
                    return other.kept.file == entry.kept.file && other.title == entry.title &&
                           other.location == entry.location;
                }) != leftAlone.end();
            if (!stays) {
                kept.push_back(entry);
            }
        }
        if (WriteDisabledStore(kept)) {
            for (const StartupEntry& entry : leftAlone) {
                DiscardKeptFile(entry.kept.file);
            }
            stored = kept;
        }
    }

    // The file's entries, each with what the entry it names kept just now.
    const std::vector<StartupEntry> entries = WithFormsOfNow(list.entries, stored);

    // Each of them comes back as a row; an enabled one goes back into its
    // location. The store holds the disabled rows and, until the end, the
    // entries taken out above, so that none is lost if the program ends
    // meanwhile; it is written whenever the disabled rows change.
    g_app.ListBusy = true;
    ClearEntryList();
    IconLookup icons;
    std::unique_ptr<PathCacheScope> paths(new PathCacheScope());
    std::vector<StartupEntry> disabledRows; // top row first
    for (const StartupEntry& entry : entries) {
        AddEntryRow(entry.title, entry.command, entry.location,
                    icons(ResolveCommandPath(entry.command, ResolveMode::ProgramPath)));
        bool disabled = !entry.checked;
        if (entry.checked) {
            SetRowBox(0, true);
            const LocationOutcome outcome = WriteKeptEntry(entry);
            if (!outcome.succeeded()) {
                // The writer says why; the entry waits, disabled.
                ReportOutcome(outcome);
                SetRowBox(0, false);
                disabled = true;
            }
        }
        if (disabled) {
            disabledRows.insert(disabledRows.begin(), entry);
            std::vector<StartupEntry> meanwhile = disabledRows;
            meanwhile.insert(meanwhile.end(), stored.begin(), stored.end());
            WriteDisabledStore(meanwhile);
        }
    }
    g_app.ListBusy = false;
    paths.reset();

    // Now the store holds exactly the disabled rows; copies kept for entries
    // that are back in place, or that the file does not name, are not needed.
    if (WriteDisabledStore(disabledRows)) {
        for (const StartupEntry& entry : stored) {
            bool stillKept = false;
            for (const StartupEntry& row : disabledRows) {
                stillKept = stillKept || row.kept.file == entry.kept.file;
            }
            if (!stillKept) {
                DiscardKeptFile(entry.kept.file);
            }
        }
    }
    g_app.PendingStatusText = LoadText(IDS_UNDO_WRITTEN) + undo;
    ScanDriver();
    return true;
}

void SaveList() {
    SaveEntryList(IDS_SAVE_LIST_TITLE, g_app.LastListPath);
}

void SaveListAs() {
    SaveEntryList(IDS_SAVE_LIST_AS_TITLE, std::string());
}

void RestoreList() {
    if (g_app.settings.Restore != 0 &&
        MessageBoxA(g_app.mainWindow, LoadText(IDS_ASK_RESTORE_LIST).c_str(), "Kelvorin",
                    MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    const std::string path = ChooseListFile(false, IDS_RESTORE_LIST_TITLE);
    if (path.empty()) {
        // Nothing chosen: the store and the list are made anew all the same.
        SaveDisabledRows();
        ScanDriver();
        return;
    }
    RestoreListFile(path);
}

} // namespace kv
