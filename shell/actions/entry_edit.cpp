#include "shell/actions/entry_edit.h"

#include "base/strings.h"
#include "base/text.h"
#include "dialogs/program_dialog.h"
#include "dialogs/program_groups.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/entry_identity.h"
#include "entries/location_dispatch.h"
#include "entries/location_writers.h"
#include "entries/startup_folder.h"
#include "moves/entry_moves.h"
#include "records/disabled_store.h"
#include "shell/actions/entry_actions.h"
#include "shell/frame/app_state.h"
#include "shell/list/disabled_rows.h"
#include "shell/list/entry_list.h"
#include "shell/frame/message_boxes.h"
#include "shell/frame/outcome_report.h"
#include "shell/list/scan_driver.h"
#include "resource.h"

#include <windows.h>

#include <vector>

namespace kv {

namespace {

// The group of the last edit: a row whose location has no group (a subkey
// of Run or RunOnce) opens with it.
int g_lastEditGroup = 0;

// One row as the edit command hands it to the dialog.
struct EditedRow {
    StartupEntry entry;    // its texts and exact name
    std::size_t place = 0; // a disabled row's place among the disabled rows
    bool disabled = false;
};

// An error that keeps the dialog open; the text also goes to the status bar.
bool Refuse(HWND dialog, const std::string& text) {
    ShowError(text, dialog);
    g_app.PendingStatusText = text;
    return false;
}

// A failed writer's outcome: its own message box, or its text in one.
void ShowFailure(HWND dialog, const LocationOutcome& outcome) {
    std::string text = ReportOutcome(outcome);
    if (text.empty()) {
        text = LoadText(IDS_SVC) + outcome.name + LoadText(IDS_SVC_NOT_CREATED);
    }
    g_app.PendingStatusText = text;
    if (outcome.box == OutcomeBox::None) {
        ShowError(text, dialog);
    }
}

std::string Unquoted(const std::string& path) {
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        return path.substr(1, path.size() - 2);
    }
    return path;
}

bool IsStringType(unsigned long type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// Writes the fields' entry into its group's location.
LocationOutcome WriteGroupEntry(const ProgramFields& in) {
    switch (in.group) {
    case kGroupAllUsersStartup:
    case kGroupCurrentUserStartup:
        return CreateStartupShortcut(GetStartupFolderPath(in.group == kGroupAllUsersStartup
                                                              ? kAllUsersStartup
                                                              : kCurrentUserStartup),
                                     in.title, in.path, in.parameters);
    case kGroupWinIniRun:
        return AddWinIniItem(in.path, "run");
    case kGroupWinIniLoad:
        return AddWinIniItem(in.path, "load");
    default:
        break;
    }
    // The registry groups: the root and key path of the group's location.
    const LocationClass place =
        ClassifyLocationIn(LocationForGroupIn(in.group, in.section, "", ""), "", "");
    if (place.kind == LocationKind::RunOnceExSection) {
        return AddRunOnceExValue(in.title, in.path, in.parameters, place.keyPath);
    }
    return AddRegistryValue(place.root, place.keyPath, in.title, in.path, in.parameters);
}

// A copy of a kept file for an entry of this name: every byte, or a shell
// link with a new program and arguments. Empty when it cannot be made.
std::string CopyKeptFile(const std::string& from, const std::string& name, bool retarget,
                         const std::string& program, const std::string& arguments) {
    const std::string copy = NewKeptFilePath(name);
    const bool made = retarget ? SaveShellLinkRetargeted(from, copy, program, arguments)
                               : CopyFileA(from.c_str(), copy.c_str(), TRUE) != FALSE;
    if (!made) {
        DiscardKeptFile(copy);
        return std::string();
    }
    return copy;
}

// The entry the fields make of `old` (its texts and what its location held),
// keeping what the dialog does not show. The string-table text of the reason
// when it cannot be made; 0 when it is made.
unsigned MakeNewEntry(const ProgramFields& fields, const ProgramFields& prefill,
                      const StartupEntry& old, Replacement& made) {
    const bool commandChanged =
        fields.path != prefill.path || fields.parameters != prefill.parameters;
    StartupEntry& entry = made.entry;
    entry.location = LocationForGroup(fields.group, fields.section);
    entry.title = fields.title;
    entry.command = commandChanged ? JoinCommand(fields.path, fields.parameters) : old.command;
    const LocationClass oldPlace = ClassifyLocation(old.location);
    const LocationClass newPlace = ClassifyLocation(entry.location);
    const bool oldFile = !old.kept.file.empty() &&
                         GetFileAttributesA(old.kept.file.c_str()) != INVALID_FILE_ATTRIBUTES;
    const bool oldLink = oldFile && IsShellLinkFile(old.kept.file);
    // A file of the Startup folder that is no shortcut is the entry itself:
    // it can be renamed or moved to the other Startup folder, nothing else.
    const bool movesFile =
        oldFile && !oldLink && !commandChanged && newPlace.kind == LocationKind::StartupFolder;
    if (oldFile && !oldLink && commandChanged) {
        return IDS_ERR_PLAIN_FILE_EDIT;
    }
    if (oldPlace.kind == LocationKind::StartupFolder && !movesFile &&
        LowerAscii(FullPath(Unquoted(fields.path))) ==
            LowerAscii(oldPlace.folder + "\\" + old.title)) {
        return IDS_ERR_PROGRAM_IN_FOLDER;
    }
    if (oldFile && !oldLink && !movesFile) {
        return IDS_ERR_PLAIN_FILE_EDIT;
    }

    if (GroupItemOf(fields.group).check == GroupCheck::Untitled) {
        // A win.ini item: the short form of the path, titled by its file name.
        entry.command = ShortPathOrSame(fields.path);
        entry.title = AfterLastBackslash(entry.command);
        return 0;
    }
    if (IsRegistryKind(newPlace.kind)) {
        if (old.kept.hasValue) {
            // The value keeps its type, and its very bytes when the command
            // stayed; a type that holds no text becomes a string.
            KeptForm& form = entry.kept;
            form.hasValue = true;
            form.valueType = !commandChanged || IsStringType(old.kept.valueType)
                                 ? old.kept.valueType
                                 : static_cast<unsigned long>(REG_SZ);
            form.valueBytes = commandChanged ? entry.command + '\0' : old.kept.valueBytes;
            made.fromForm = true;
        }
        return 0;
    }
    if (newPlace.kind != LocationKind::StartupFolder) {
        return 0;
    }
    // The command as the list will read the file back.
    if (movesFile) {
        entry.command = newPlace.folder + "\\" + entry.title;
    } else {
        entry.title = AfterLastBackslash(ShortcutFilePath(newPlace.folder, fields.title));
        if (commandChanged || !oldLink) {
            const std::string program = Unquoted(fields.path);
            entry.command = fields.parameters.empty() ? program : program + " " + fields.parameters;
        }
    }
    if (oldFile) {
        entry.kept.file = CopyKeptFile(old.kept.file, entry.title, oldLink && commandChanged,
                                       Unquoted(fields.path), fields.parameters);
        if (entry.kept.file.empty()) {
            return IDS_EDIT_NOT_PREPARED;
        }
        made.fromForm = true;
    }
    return 0;
}

ProgramFields PrefillOf(const EditedRow& row) {
    ProgramFields prefill;
    prefill.title = row.entry.title;
    if (!row.entry.command.empty()) {
        prefill.path = ResolveCommandPath(row.entry.command, ResolveMode::ProgramPath);
        prefill.parameters = ResolveCommandPath(row.entry.command, ResolveMode::Arguments);
    }
    std::string section;
    const int group = GroupForLocation(row.entry.location, section);
    if (group >= 0) {
        g_lastEditGroup = group;
    }
    prefill.group = g_lastEditGroup;
    if (IsRunOnceExGroup(group)) {
        prefill.section = section;
    }
    return prefill;
}

ProgramDialogRequest DialogRequest() {
    ProgramDialogRequest request;
    request.instance = g_app.instance;
    request.owner = g_app.mainWindow;
    request.groupImages = g_app.groupImages.get();
    return request;
}

// The entry the fields of the new mode name: its location, and its name
// there (a shortcut's file name, a win.ini item).
StartupEntry NewTarget(const ProgramFields& fields) {
    StartupEntry target;
    target.location = LocationForGroup(fields.group, fields.section);
    target.title = fields.title;
    const LocationClass place = ClassifyLocation(target.location);
    if (place.kind == LocationKind::StartupFolder) {
        target.title = AfterLastBackslash(ShortcutFilePath(place.folder, fields.title));
    } else if (place.kind == LocationKind::WinIni) {
        target.command = ShortPathOrSame(fields.path);
        target.title = AfterLastBackslash(target.command);
    }
    return target;
}

// Replacing an entry of the same name is asked in a box of the dialog.
Consent AskInDialog(HWND dialog) {
    return [dialog](const std::string& question) { return Ask(question, dialog); };
}

// What a move says: its text in the status bar after the refresh, its
// writer's message box if it has one; false keeps the dialog open.
bool Shown(HWND dialog, const MoveOutcome& outcome) {
    if (outcome.done()) {
        ReportOutcome(outcome.location);
        if (!outcome.text.empty()) {
            g_app.PendingStatusText = outcome.text;
        }
        return true;
    }
    if (outcome.location.box != OutcomeBox::None) {
        ShowFailure(dialog, outcome.location);
        return false;
    }
    return Refuse(dialog, outcome.text);
}

// OK in the new mode: the entry is written into its group's location.
bool AcceptNewEntry(HWND dialog, const ProgramFields& fields) {
    return Shown(dialog, AddNew(NewTarget(fields), [&] { return WriteGroupEntry(fields); },
                                AskInDialog(dialog)));
}

MakeReplacement MakerOf(const ProgramFields& fields, const ProgramFields& prefill) {
    return [&fields, &prefill](const StartupEntry& old, Replacement& made) {
        return MakeNewEntry(fields, prefill, old, made);
    };
}

// An enabled row changed: the move keeps the old entry until the new one is
// written, and puts it back when that fails.
bool AcceptEnabledEdit(HWND dialog, const ProgramFields& fields, const ProgramFields& prefill,
                       const EditedRow& row) {
    bool told = false;
    const MoveOutcome outcome = ReplaceActive(
        row.entry, MakerOf(fields, prefill), [&] { return WriteGroupEntry(fields); },
        AskInDialog(dialog), [dialog, &told](const LocationOutcome& written) {
            told = true;
            ShowFailure(dialog, written);
        });
    if (told && !outcome.endedStored) {
        return Refuse(dialog, outcome.text);
    }
    if (outcome.endedStored) {
        // Neither could be written: the old entry waits in the store, and
        // the dialog closes after saying so.
        Refuse(dialog, outcome.text);
        return true;
    }
    return Shown(dialog, outcome);
}

// A disabled row changed: only its record in the store changes, in place,
// with what it keeps carried over; it stays disabled.
bool AcceptDisabledEdit(HWND dialog, const ProgramFields& fields, const ProgramFields& prefill,
                        const EditedRow& row) {
    return Shown(dialog, ReplaceStored(row.entry, row.place, MakerOf(fields, prefill)));
}

// Opens the dialog for one row; OK with nothing changed writes nothing.
void EditEntry(const EditedRow& row) {
    ProgramDialogRequest request = DialogRequest();
    request.prefill = PrefillOf(row);
    request.editingDisabled = row.disabled;
    const ProgramFields prefill = request.prefill;
    request.accept = [&](HWND dialog, const ProgramFields& fields) {
        if (SameFields(fields, prefill)) {
            return true;
        }
        return row.disabled ? AcceptDisabledEdit(dialog, fields, prefill, row)
                            : AcceptEnabledEdit(dialog, fields, prefill, row);
    };
    RunProgramDialog(request);
}

void AddWithDialog(const std::string& droppedFile) {
    ProgramDialogRequest request = DialogRequest();
    request.droppedFile = droppedFile;
    request.accept = AcceptNewEntry;
    if (RunProgramDialog(request)) {
        ScanDriver();
    }
}

} // namespace

void AddProgram() {
    AddWithDialog(std::string());
}

void AddDroppedFile(const std::string& path) {
    AddWithDialog(path);
}

void EditSelectedEntries() {
    // Row changes made meanwhile are the program's own.
    FlagScope busy(g_app.ListBusy);
    // The rows are read before the first dialog opens, top first.
    std::vector<EditedRow> rows;
    const std::vector<int> selected = SelectedRows();
    if (RefusedForTasks(selected, IDS_TASK_NO_EDIT)) {
        return;
    }
    const std::vector<std::size_t> places = PlacesAmongDisabled(selected);
    for (std::size_t i = 0; i < selected.size(); ++i) {
        const int row = selected[i];
        EditedRow edited;
        edited.entry = RowTexts(row);
        edited.place = places[i];
        edited.disabled = RowUnchecked(row);
        rows.push_back(edited);
    }
    const RowsQuestion question{IDS_ASK_EDIT, IDS_ASK_EDIT, IDS_PROGRAMS_Q,
                                g_app.settings.SingleEdit, g_app.settings.MultiEdit};
    const std::string title = rows.empty() ? std::string() : rows.front().entry.title;
    const bool go =
        !rows.empty() &&
        ConfirmRows(question, rows.size(), title.empty() ? LoadText(IDS_THIS_PROGRAM) : title);
    if (go) {
        for (const EditedRow& row : rows) {
            EditEntry(row);
        }
        ScanDriver();
    }
}

} // namespace kv
