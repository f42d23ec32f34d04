#include "shell/actions/list_files.h"

#include "base/handles.h"
#include "base/strings.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/location_dispatch.h"
#include "entries/path_cache.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "records/list_file.h"
#include "moves/restore_moves.h"
#include "moves/task_moves.h"
#include "records/user_data_folder.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/frame/message_boxes.h"
#include "shell/frame/outcome_report.h"
#include "shell/list/row_icons.h"
#include "shell/list/scan_driver.h"
#include "shell/list/status_bar.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
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

// Every row of the list, top first, in its location or not (and switched off
// by Windows or not), with the value each
// registry entry holds: disabled ones as their records keep it (with the
// kept copy of a Startup-folder file), enabled ones as the last refresh saw
// it.
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
    disabled = WithKeptForms(disabled, CurrentDisabledEntries());
    std::vector<StartupEntry> rows;
    std::size_t nextEnabled = 0;
    std::size_t nextDisabled = 0;
    for (const bool on : isEnabled) {
        StartupEntry entry = on ? enabled[nextEnabled++] : disabled[nextDisabled++];
        entry.checked = on;
        entry.switchedOff = RowSwitchedOff(static_cast<int>(rows.size()));
        if (on) {
            entry.kept.file.clear();
        }
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

// Removes a folder of copies: its plain files, by their exact names, and
// then the folder itself when nothing else is left in it.
void EmptyCopiesFolder(const std::string& folder) {
    const std::wstring wide = Wide(folder);
    WIN32_FIND_DATAW found;
    {
        FindHandleWide search(wide + L"\\*", found);
        if (search.valid()) {
            do {
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                    const std::wstring path = wide + L"\\" + found.cFileName;
                    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(path.c_str());
                }
            } while (search.Next(found));
        }
    }
    RemoveDirectoryW(wide.c_str());
}

// A restore's working copy of each Startup-folder file the list carries
// beside it, in the kept-files folder: the list's own copies may go when
// the undo list is written anew (the list may be that undo list itself).
std::vector<StartupEntry> WithWorkingCopies(std::vector<StartupEntry> entries) {
    for (StartupEntry& entry : entries) {
        if (entry.kept.file.empty()) {
            continue;
        }
        const std::string copy = NewKeptFilePath(entry.title);
        entry.kept.file =
            CopyFileW(Wide(entry.kept.file).c_str(), Wide(copy).c_str(), TRUE) ? copy : "";
    }
    return entries;
}

// The file a row's copy is made from: an active Startup-folder file by its
// exact name, a disabled entry's kept copy; empty for none.
std::wstring CopySource(const StartupEntry& row) {
    const LocationClass place = ClassifyLocation(row.location);
    if (row.checked && place.kind == LocationKind::StartupFolder) {
        if (!row.exactName.empty()) {
            return Wide(place.folder) + L"\\" + row.exactName;
        }
        return IsPlainFileName(row.title) ? Wide(place.folder + "\\" + row.title) : std::wstring();
    }
    return Wide(row.kept.file);
}

// Writes the undo list and its copies whole at `path`, with its copies
// folder beside it; false, with nothing of them left, when that fails.
bool WriteUndoListAt(const std::string& path) {
    const std::string copies = ListCopiesFolder(path);
    CreateDirectoryA(copies.c_str(), nullptr);
    std::vector<StartupEntry> rows = ListRows();
    for (StartupEntry& row : rows) {
        const std::wstring source = CopySource(row);
        row.kept.file.clear();
        const DWORD attributes =
            source.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(source.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            const std::string copy = UnusedFilePath(copies, row.title);
            if (CopyFileW(source.c_str(), Wide(copy).c_str(), TRUE)) {
                row.kept.file = copy;
            }
        }
    }
    if (WriteListFile(path, rows, true)) {
        return true;
    }
    EmptyCopiesFolder(copies);
    return false;
}

// The set the restore replaces, kept as the undo list; every Startup-folder
// file of it is copied beside it, so that restoring the undo list brings the
// very files back. The new list and its copies are written under names of
// their own first, and take the place of the last undo list and its copies
// only when whole: a failure anywhere leaves the last undo list as it was.
bool KeepUndoList(const std::string& undo) {
    const std::string::size_type dot = undo.rfind('.');
    const std::string stem = dot == std::string::npos ? undo : undo.substr(0, dot);
    const std::string fresh = stem + " (new).ini";
    const std::string copies = ListCopiesFolder(undo);
    const std::string freshCopies = ListCopiesFolder(fresh);
    const std::string lastCopies = copies + " (last)";
    // What an earlier attempt that was cut short may have left.
    EmptyCopiesFolder(freshCopies);
    EmptyCopiesFolder(lastCopies);
    DeleteFileA(fresh.c_str());
    if (!WriteUndoListAt(fresh)) {
        return false;
    }
    const bool hadCopies = GetFileAttributesA(copies.c_str()) != INVALID_FILE_ATTRIBUTES;
    const bool copiesAside = !hadCopies || MoveFileA(copies.c_str(), lastCopies.c_str());
    const bool copiesIn = copiesAside && MoveFileA(freshCopies.c_str(), copies.c_str());
    if (copiesIn && MoveFileExA(fresh.c_str(), undo.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        EmptyCopiesFolder(lastCopies);
        return true;
    }
    // The last undo list keeps its own copies.
    if (copiesIn) {
        EmptyCopiesFolder(copies);
    }
    if (hadCopies && copiesAside) {
        MoveFileA(lastCopies.c_str(), copies.c_str());
    }
    EmptyCopiesFolder(freshCopies);
    DeleteFileA(fresh.c_str());
    return false;
}

// Each entry of the file comes back as a row, as the restore left it.
void ShowRestoredRows(const std::vector<StartupEntry>& entries) {
    FlagScope busy(g_app.ListBusy);
    ClearEntryList();
    IconLookup icons;
    PathCacheScope paths;
    for (const StartupEntry& entry : entries) {
        AddEntryRow(entry.title, entry.command, entry.location,
                    icons(ResolveProgramFile(entry.command)));
        SetRowBox(0, entry.checked);
    }
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
    // Tasks are only switched as the list has them; every other entry is
    // taken out and put back.
    std::vector<StartupEntry> listedEntries;
    std::vector<StartupEntry> listedTasks;
    for (const StartupEntry& entry : list.entries) {
        (IsTaskLocation(entry.location) ? listedTasks : listedEntries).push_back(entry);
    }
    const std::vector<StartupEntry> listed = WithWorkingCopies(listedEntries);
    const std::string undo = UserDataFolderPath() + "\\before restore.ini";
    std::vector<StartupEntry> stored;
    std::vector<StartupEntry> leftAlone;
    const bool undoKept = KeepUndoList(undo);
    std::vector<StartupEntry> active;
    for (StartupEntry& entry : RowsOfKind(RowKind::Enabled)) {
        if (!IsTaskLocation(entry.location)) {
            active.push_back(std::move(entry));
        }
    }
    if (!undoKept || !TakeOutForRestore(WithKeptForms(RowsOfKind(RowKind::Disabled),
                                                      CurrentDisabledEntries()),
                                        active, stored, leftAlone)) {
        for (const StartupEntry& entry : listed) {
            DiscardKeptFile(entry.kept.file);
        }
        ShowError(undoKept ? LoadText(DisabledStoreFailureText())
                           : LoadText(IDS_UNDO_NOT_WRITTEN) + undo);
        return false;
    }
    const std::vector<StartupEntry> entries = WithFormsOfNow(listed, stored);
    std::vector<StartupEntry> restored;
    std::vector<LocationOutcome> notWritten;
    const bool finished = PutBackForRestore(
        entries, stored, leftAlone, listed,
        [](const std::string& question) { return Ask(question, g_app.mainWindow); }, restored,
        notWritten);
    for (const LocationOutcome& outcome : notWritten) {
        ReportOutcomeLater(outcome); // the writer's own box, where it has one
    }
    const std::vector<MoveOutcome> tasksNotSwitched = SwitchTasksAsListed(listedTasks);
    ShowRestoredRows(restored);

    g_app.PendingStatusText = tasksNotSwitched.empty() ? LoadText(IDS_UNDO_WRITTEN) + undo
                                                       : tasksNotSwitched.back().text;
    ScanDriver();
    if (!leftAlone.empty()) {
        ShowError(LoadText(IDS_RESTORE_LEFT_ALONE) + std::to_string(leftAlone.size()));
    }
    if (!finished) {
        ShowError(LoadText(DisabledStoreFailureText()));
    }
    return true;
}

void SaveList() {
    SaveEntryList(IDS_SAVE_LIST_TITLE, g_app.LastListPath);
}

void SaveListAs() {
    SaveEntryList(IDS_SAVE_LIST_AS_TITLE, std::string());
}

void RestoreList() {
    if (g_app.settings.Restore != 0 && !Ask(LoadText(IDS_ASK_RESTORE_LIST))) {
        return;
    }
    const std::string path = ChooseListFile(false, IDS_RESTORE_LIST_TITLE);
    if (path.empty()) {
        // Nothing chosen: the store and the list are made anew all the same.
        WriteStoreAnew();
        ScanDriver();
        return;
    }
    RestoreListFile(path);
}

} // namespace kv
