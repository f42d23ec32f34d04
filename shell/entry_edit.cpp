#include "shell/entry_edit.h"

#include "base/strings.h"
#include "base/text.h"
#include "dialogs/program_dialog.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/location_dispatch.h"
#include "entries/location_writers.h"
#include "entries/startup_folder.h"
#include "entries/startup_switch.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "shell/app_state.h"
#include "shell/entry_list.h"
#include "shell/message_boxes.h"
#include "shell/outcome_report.h"
#include "shell/scan_driver.h"
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
    std::string title;
    std::string command;
    std::string location;
    bool disabled = false;
};

// The entry the fields describe, and how it is written: from the form it
// takes over from the old entry (entry.kept: a value's type and bytes, or a
// prepared copy of a Startup-folder file), or else by the group's writer.
struct NewEntry {
    StartupEntry entry;
    bool fromForm = false;
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

bool IsRegistryKind(LocationKind kind) {
    return kind == LocationKind::RegistryKey || kind == LocationKind::RegistrySubkey ||
           kind == LocationKind::RunOnceExSection;
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

LocationOutcome WriteNewEntry(const NewEntry& made, const ProgramFields& fields) {
    return made.fromForm ? WriteKeptEntry(made.entry) : WriteGroupEntry(fields);
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
                      const StartupEntry& old, NewEntry& made) {
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
    prefill.title = row.title;
    if (!row.command.empty()) {
        prefill.path = ResolveCommandPath(row.command, ResolveMode::ProgramPath);
        prefill.parameters = ResolveCommandPath(row.command, ResolveMode::Arguments);
    }
    std::string section;
    const int group = GroupForLocation(row.location, section);
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

// OK in the new mode: the entry is written into its group's location.
bool AcceptNewEntry(HWND dialog, const ProgramFields& fields) {
    const LocationOutcome written = WriteGroupEntry(fields);
    if (!written.succeeded()) {
        ShowFailure(dialog, written);
        return false;
    }
    ReportOutcomeLater(written);
    return true;
}

// The old entry of an edit as a record of the store, while it is out of its
// location: put in before it leaves, taken out once it is back or replaced.
bool RecordInStore(const StartupEntry& entry) {
    std::vector<StartupEntry> stored = ReadDisabledEntries();
    stored.push_back(entry);
    return WriteDisabledStore(stored);
}

bool EraseFromStore(const StartupEntry& entry) {
    std::vector<StartupEntry> stored = ReadDisabledEntries();
    for (std::size_t i = stored.size(); i-- > 0;) {
        if (SameTexts(stored[i], entry) && stored[i].kept.file == entry.kept.file) {
            stored.erase(stored.begin() + static_cast<std::ptrdiff_t>(i));
            return WriteDisabledStore(stored);
        }
    }
    return true;
}

// An enabled row changed: what its location holds is kept first, so that it
// can go back exactly, and it is recorded in the store before it leaves; at
// every moment it is in its location, in the store, or in both. Then the
// changed entry is written; when that fails, the old one goes back, or stays
// a disabled entry when not even its own location takes it.
bool AcceptEnabledEdit(HWND dialog, const ProgramFields& fields, const ProgramFields& prefill,
                       const EditedRow& row) {
    StartupEntry old;
    old.title = row.title;
    old.command = row.command;
    old.location = row.location;
    LocationOutcome refusal;
    const bool kept = KeepEntryForm(old, NewKeptFilePath, refusal);
    if (!kept && refusal.kind != OutcomeKind::NotRemoved) {
        // It could not come back if the new entry failed: nothing is done.
        return Refuse(dialog, refusal.kind == OutcomeKind::CannotBeKept
                                  ? LoadText(IDS_SVC) + old.title + LoadText(IDS_EDIT_CANNOT_KEEP)
                                  : OutcomeStatusText(refusal));
    }
    NewEntry made;
    const unsigned problem = MakeNewEntry(fields, prefill, old, made);
    if (problem != 0) {
        DiscardKeptFile(old.kept.file);
        return Refuse(dialog, LoadText(problem));
    }
    if (!kept) {
        // The old entry is not there any more: that is reported, and the new
        // one written all the same.
        ReportOutcomeLater(refusal);
    } else if (!RecordInStore(old)) {
        DiscardKeptFile(old.kept.file);
        DiscardKeptFile(made.entry.kept.file);
        return Refuse(dialog, LoadText(DisabledStoreFailureText()));
    } else {
        const LocationOutcome removal = RemoveEntry(old);
        if (!removal.succeeded()) {
            // It did not leave: nothing changed.
            EraseFromStore(old);
            DiscardKeptFile(old.kept.file);
            DiscardKeptFile(made.entry.kept.file);
            return Refuse(dialog, OutcomeStatusText(removal));
        }
        ReportOutcomeLater(removal);
    }
    // The snapshot learns of the move before the new entry is written, so
    // that the next start takes neither entry for another program's change.
    SnapshotMoveEntries(kept ? std::vector<StartupEntry>{old} : std::vector<StartupEntry>(),
                        {made.entry});
    const LocationOutcome written = WriteNewEntry(made, fields);
    DiscardKeptFile(made.entry.kept.file);
    if (written.succeeded()) {
        ReportOutcomeLater(written);
        if (!kept || EraseFromStore(old)) {
            DiscardKeptFile(old.kept.file);
        }
        // A Windows switch of the old name, left behind, would silently turn
        // off a later entry of that name.
        if (!SameTexts(old, made.entry) &&
            (old.title != made.entry.title ||
             LowerAscii(old.location) != LowerAscii(made.entry.location))) {
            DeleteSwitch(old);
        }
        return true;
    }
    ShowFailure(dialog, written);
    SnapshotMoveEntries({made.entry},
                        kept ? std::vector<StartupEntry>{old} : std::vector<StartupEntry>());
    if (!kept) {
        return false;
    }
    if (WriteKeptEntry(old).succeeded()) {
        if (EraseFromStore(old)) {
            DiscardKeptFile(old.kept.file);
        }
        return Refuse(dialog, LoadText(IDS_SVC) + old.title + LoadText(IDS_EDIT_PUT_BACK));
    }
    // Not even its own location takes it back now: it stays in the store as
    // a disabled entry, with its kept copy, to be enabled later.
    SnapshotRemoveEntry(old);
    Refuse(dialog, LoadText(IDS_SVC) + old.title + LoadText(IDS_EDIT_KEPT_DISABLED));
    return true;
}

// A disabled row changed: only its record in the store changes, in place,
// with what it keeps carried over; it stays disabled.
bool AcceptDisabledEdit(HWND dialog, const ProgramFields& fields, const ProgramFields& prefill,
                        const EditedRow& row) {
    std::vector<StartupEntry> stored = ReadDisabledEntries();
    std::size_t index = stored.size();
    for (std::size_t i = 0; i < stored.size() && index == stored.size(); ++i) {
        if (LowerAscii(stored[i].title) == LowerAscii(row.title) &&
            LowerAscii(stored[i].command) == LowerAscii(row.command) &&
            LowerAscii(stored[i].location) == LowerAscii(row.location)) {
            index = i;
        }
    }
    StartupEntry old;
    if (index < stored.size()) {
        old = stored[index];
    } else {
        // A record edited by hand: the entry is appended as a new last one.
        old.title = row.title;
        old.command = row.command;
        old.location = row.location;
        stored.emplace_back();
    }
    NewEntry made;
    const unsigned problem = MakeNewEntry(fields, prefill, old, made);
    if (problem != 0) {
        return Refuse(dialog, LoadText(problem));
    }
    stored[index] = made.entry;
    if (!WriteDisabledStore(stored)) {
        DiscardKeptFile(made.entry.kept.file);
        return Refuse(dialog, LoadText(DisabledStoreFailureText()));
    }
    if (old.kept.file != made.entry.kept.file) {
        DiscardKeptFile(old.kept.file);
    }
    return true;
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
    for (int row : SelectedRows()) {
        EditedRow edited;
        edited.title = RowText(row, kColumnTitle);
        edited.command = RowText(row, kColumnCommand);
        edited.location = RowText(row, kColumnLocation);
        edited.disabled = RowUnchecked(row);
        rows.push_back(edited);
    }
    const RowsQuestion question{IDS_ASK_EDIT, IDS_ASK_EDIT, IDS_PROGRAMS_Q,
                                g_app.settings.SingleEdit, g_app.settings.MultiEdit};
    const std::string title = rows.empty() ? std::string() : rows.front().title;
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
