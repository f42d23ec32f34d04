#include "dialogs/program_dialog.h"

#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/location_dispatch.h"
#include "entries/location_writers.h"
#include "entries/startup_folder.h"
#include "entries/text.h"
#include "records/disabled_store.h"
#include "records/settings_store.h"
#include "shell/app_state.h"
#include "shell/entry_list.h"
#include "shell/outcome_report.h"
#include "shell/scan_driver.h"
#include "shell/strings.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <vector>

namespace kv {

namespace {

// What OK asks of the fields for each group.
enum class GroupCheck {
    Heading,  // names no location: refused
    Titled,   // title and path
    Section,  // title, path and a RunOnceEx section
    Untitled, // a path alone: a win.ini item
};

struct GroupItem {
    const char* text;
    int picture; // in g_app.groupImages
    int indent;  // in the combo box's units of 10 pixels
    GroupCheck check;
};

// The group list, in group-number order.
const GroupItem kGroups[kGroupCount] = {
    {"All startups", 1, 0, GroupCheck::Heading},
    {"Startup menu", 4, 2, GroupCheck::Heading},
    {"All Users", 2, 4, GroupCheck::Titled},
    {"Current User", 2, 4, GroupCheck::Titled},
    {"Registry", 4, 2, GroupCheck::Heading},
    {"All Users", 4, 4, GroupCheck::Heading},
    {"Run", 0, 6, GroupCheck::Titled},
    {"RunOnce", 0, 6, GroupCheck::Titled},
    {"RunOnceEx", 0, 6, GroupCheck::Section},
    {"RunServices", 0, 6, GroupCheck::Titled},
    {"RunServicesOnce", 0, 6, GroupCheck::Titled},
    {"Current User", 4, 4, GroupCheck::Heading},
    {"Run", 0, 6, GroupCheck::Titled},
    {"RunOnce", 0, 6, GroupCheck::Titled},
    {"Win.INI", 4, 2, GroupCheck::Heading},
    {"Run", 3, 4, GroupCheck::Untitled},
    {"Load", 3, 4, GroupCheck::Untitled},
};

// The longest section: the RunOnceEx location string with it stays within
// 499 characters.
constexpr std::size_t kMaxSectionLength = 442;

// The input of the dialog when OK is pressed.
struct ProgramFields {
    std::string title;
    std::string path;
    std::string parameters;
    std::string section;
    int group = 0;
};

// One row of the list as the edit command hands it to the dialog.
struct EditedRow {
    std::string title;
    std::string command;
    std::string location;
    bool disabled = false;
};

std::string ItemText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(control);
    if (length <= 0) {
        return std::string();
    }
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(control, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

// The full path of a file; the text itself when the system cannot make one.
std::string FullPath(const std::string& path) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length == 0) {
            return path;
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(length + 1);
    }
}

// The name of the file a path names, as the title of a new entry.
std::string FileNamePart(const std::string& path) {
    return AfterLastBackslash(FullPath(path));
}

std::string Unquoted(const std::string& path) {
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
        return path.substr(1, path.size() - 2);
    }
    return path;
}

// An input error: the dialog stays open with what the user typed.
bool Refuse(HWND dialog, UINT text) {
    MessageBoxA(dialog, LoadText(text).c_str(), "Kelvorin", MB_OK | MB_ICONERROR);
    return false;
}

// A result the user must see now and in the status bar after the refresh.
void Tell(HWND owner, const std::string& text) {
    MessageBoxA(owner, text.c_str(), "Kelvorin", MB_OK | MB_ICONERROR);
    g_app.PendingStatusText = text;
}

bool Ask(const std::string& question) {
    return MessageBoxA(g_app.mainWindow, question.c_str(), "Kelvorin",
                       MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void EndEditMode() {
    EditContext& edit = g_app.edit;
    edit.title.clear();
    edit.editMode = false;
    edit.disabled = false;
}

int SelectedGroup(HWND dialog) {
    const LRESULT selected = SendDlgItemMessageA(dialog, IDC_PROG_GROUP, CB_GETCURSEL, 0, 0);
    return selected < 0 || selected >= kGroupCount ? 0 : static_cast<int>(selected);
}

// The section's label is enabled while RunOnceEx is the group.
void ShowSectionLabel(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDC_PROG_SECTION_LABEL),
                 SelectedGroup(dialog) == kGroupRunOnceEx);
    InvalidateRect(dialog, nullptr, FALSE);
}

void FillGroupList(HWND combo) {
    SendMessageA(combo, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_app.groupImages));
    for (const GroupItem& group : kGroups) {
        COMBOBOXEXITEMA item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
        item.iItem = -1;
        item.pszText = const_cast<char*>(group.text);
        item.iImage = group.picture;
        item.iSelectedImage = group.picture;
        item.iIndent = group.indent;
        SendMessageA(combo, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void InitProgramDialog(HWND dialog) {
    for (int id : {IDC_PROG_TITLE, IDC_PROG_PATH, IDC_PROG_PARAMS, IDC_PROG_SECTION}) {
        // Texts as long as the registry and the files hold them.
        SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, 0, 0);
        SetDlgItemTextA(dialog, id, "");
    }
    FillGroupList(GetDlgItem(dialog, IDC_PROG_GROUP));
    EditContext& edit = g_app.edit;
    if (!edit.droppedFilePath.empty()) {
        SetDlgItemTextA(dialog, IDC_PROG_PATH, edit.droppedFilePath.c_str());
        SetDlgItemTextA(dialog, IDC_PROG_TITLE, FileNamePart(edit.droppedFilePath).c_str());
        edit.droppedFilePath.clear();
    }
    if (!edit.title.empty()) {
        SendDlgItemMessageA(dialog, IDC_PROG_GROUP, CB_SETCURSEL, static_cast<WPARAM>(edit.group),
                            0);
        SetDlgItemTextA(dialog, IDC_PROG_TITLE, edit.title.c_str());
        SetDlgItemTextA(dialog, IDC_PROG_PATH, edit.path.c_str());
        SetDlgItemTextA(dialog, IDC_PROG_PARAMS, edit.parameters.c_str());
        if (edit.group == kGroupRunOnceEx) {
            SetDlgItemTextA(dialog, IDC_PROG_SECTION, edit.section.c_str());
        }
    }
    ShowSectionLabel(dialog);
}

void Browse(HWND dialog) {
    // Room for a long path: a path that does not fit is not cut, the
    // dialog then reports it.
    std::vector<char> file(32768, '\0');
    const std::string title = LoadText(IDS_NEW_PROGRAM);
    OPENFILENAMEA choice{};
    choice.lStructSize = sizeof(choice);
    choice.hwndOwner = dialog;
    choice.lpstrFilter = "All files (*.*)\0*.*\0";
    choice.lpstrFile = file.data();
    choice.nMaxFile = static_cast<DWORD>(file.size());
    choice.lpstrTitle = title.c_str();
    choice.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!GetOpenFileNameA(&choice)) {
        return;
    }
    const std::string path(file.data());
    SetDlgItemTextA(dialog, IDC_PROG_PATH, path.c_str());
    SetDlgItemTextA(dialog, IDC_PROG_TITLE, FileNamePart(path).c_str());
}

void OpenHelp() {
    const std::string folder = ExecutableDirectory();
    const std::string file = folder + "\\Kelvorin.chm";
    ShellExecuteA(g_app.mainWindow, "open", file.c_str(), "", folder.c_str(), SW_SHOW);
}

// Writes the dialog's entry into its group's location.
LocationOutcome WriteGroupEntry(const ProgramFields& in, const std::string& folder) {
    switch (in.group) {
    case kGroupAllUsersStartup:
    case kGroupCurrentUserStartup:
        return CreateStartupShortcut(folder, in.title, in.path, in.parameters);
    case kGroupRunOnceEx:
        return AddRunOnceExValue(in.title, in.path, in.parameters, in.section);
    case kGroupWinIniRun:
        return AddWinIniItem(in.path, "run");
    case kGroupWinIniLoad:
        return AddWinIniItem(in.path, "load");
    default:
        break;
    }
    // The six Run-type keys: the root and key path of the group's location.
    const LocationClass place =
        ClassifyLocationIn(LocationForGroupIn(in.group, "", "", ""), "", "");
    return AddRegistryValue(place.root, place.keyPath, in.title, in.path, in.parameters);
}

// A new entry, or an enabled row's entry changed. The old entry leaves its
// location before the new one is written; when the new one cannot be
// written, the old one goes back exactly as it was.
void WriteDialogEntry(HWND dialog, const ProgramFields& in, const std::string& folder) {
    const EditContext& edit = g_app.edit;
    if (!edit.editMode) {
        ReportOutcome(WriteGroupEntry(in, folder));
        return;
    }
    StartupEntry old;
    old.title = edit.title;
    old.command = edit.oldCommand;
    old.location = edit.oldLocation;
    LocationOutcome refusal;
    if (!KeepEntryForm(old, NewKeptFilePath, refusal) && refusal.kind != OutcomeKind::NotRemoved) {
        // It could not come back if the new entry failed: it stays as it is.
        Tell(dialog, refusal.kind == OutcomeKind::CannotBeKept
                         ? LoadText(IDS_SVC) + old.title + LoadText(IDS_EDIT_CANNOT_KEEP)
                         : OutcomeStatusText(refusal));
        return;
    }
    // An old entry that is not there any more is reported and the new one
    // written all the same.
    const LocationOutcome removal = RemoveEntry(old.title, old.command, old.location);
    ReportOutcome(removal);
    const LocationOutcome written = WriteGroupEntry(in, folder);
    ReportOutcome(written);
    if (written.succeeded() || !removal.succeeded()) {
        DiscardKeptFile(old.kept.file);
        return;
    }
    if (WriteKeptEntry(old).succeeded()) {
        DiscardKeptFile(old.kept.file);
        Tell(dialog, LoadText(IDS_SVC) + old.title + LoadText(IDS_EDIT_PUT_BACK));
        return;
    }
    // Not even its own location takes it back now: it is kept as a disabled
    // entry, with its kept copy, to be enabled later.
    std::vector<StartupEntry> stored = ReadDisabledEntries();
    stored.push_back(old);
    if (WriteDisabledStore(stored)) {
        Tell(dialog, LoadText(IDS_SVC) + old.title + LoadText(IDS_EDIT_KEPT_DISABLED));
    } else {
        Tell(dialog, LoadText(DisabledStoreFailureText()));
    }
}

// The kept copy of the disabled-store record with these texts, if it has one.
std::string KeptFileOfRecord(const std::string& title, const std::string& command,
                             const std::string& location) {
    for (const StartupEntry& entry : ReadDisabledEntries()) {
        if (LowerAscii(entry.title) == LowerAscii(title) &&
            LowerAscii(entry.command) == LowerAscii(command) &&
            LowerAscii(entry.location) == LowerAscii(location)) {
            return entry.kept.file;
        }
    }
    return std::string();
}

// A disabled row changed: only its record in the store changes, and it stays
// disabled. `item` is the win.ini item of groups 15 and 16.
bool ChangeDisabledRecord(HWND dialog, const ProgramFields& in, const std::string& item) {
    const EditContext& edit = g_app.edit;
    std::string title = in.title;
    std::string command = JoinCommand(in.path, in.parameters);
    if (kGroups[in.group].check == GroupCheck::Untitled) {
        command = item;
        title = AfterLastBackslash(item);
    }
    const std::string location = LocationForGroup(in.group, in.section);
    // A copy the old record kept belongs to the old texts only.
    const std::string kept = KeptFileOfRecord(edit.title, edit.oldCommand, edit.oldLocation);
    if (!UpdateDisabledRecord(edit.title, edit.oldCommand, edit.oldLocation, title, command,
                              location)) {
        return Refuse(dialog, DisabledStoreFailureText());
    }
    DiscardKeptFile(kept);
    return true;
}

// OK: the checks in order, each refusal with its message; then the entry is
// written (or the disabled row's record changed) and the list refreshed.
// False while the dialog is to stay open.
bool AcceptProgramDialog(HWND dialog, const ProgramFields& in) {
    const EditContext& edit = g_app.edit;
    const GroupCheck check = kGroups[in.group].check;
    switch (check) {
    case GroupCheck::Heading:
        return Refuse(dialog, IDS_ERR_PICK_GROUP);
    case GroupCheck::Titled:
    case GroupCheck::Section:
        if (in.title.empty()) {
            return Refuse(dialog, IDS_ERR_NO_TITLE);
        }
        if (in.path.empty()) {
            return Refuse(dialog, IDS_ERR_NO_PATH);
        }
        if (check == GroupCheck::Section) {
            if (in.section.empty()) {
                return Refuse(dialog, IDS_ERR_NO_SECTION);
            }
            if (in.section.size() > kMaxSectionLength) {
                return Refuse(dialog, IDS_ERR_SECTION_TOO_LONG);
            }
            // One subkey of RunOnceEx, as the list reads them.
            if (in.section.find('\\') != std::string::npos) {
                return Refuse(dialog, IDS_ERR_SECTION_BACKSLASH);
            }
        }
        break;
    case GroupCheck::Untitled:
        if (in.path.empty()) {
            return Refuse(dialog, IDS_ERR_NO_PATH);
        }
        break;
    }

    std::string folder;
    if (in.group == kGroupAllUsersStartup || in.group == kGroupCurrentUserStartup) {
        folder = GetStartupFolderPath(in.group == kGroupAllUsersStartup ? kAllUsersStartup
                                                                        : kCurrentUserStartup);
        if (in.title.size() + folder.size() + 10 > MAX_PATH) {
            return Refuse(dialog, IDS_ERR_TITLE_TOO_LONG);
        }
        if (folder.empty()) {
            return Refuse(dialog, IDS_ERR_NO_STARTUP_FOLDER);
        }
        // The shortcut is made in the folder itself, never beside it.
        if (!IsPlainFileName(in.title)) {
            return Refuse(dialog, IDS_ERR_TITLE_NOT_FILE);
        }
    }

    // The "run" and "load" lines separate their items by blanks and commas:
    // a program with either in its path (short form) would become several.
    std::string item;
    if (check == GroupCheck::Untitled) {
        item = ShortPathOrSame(in.path);
        if (item.find_first_of(" ,") != std::string::npos) {
            return Refuse(dialog, IDS_ERR_WININI_ITEM);
        }
        if (edit.editMode && edit.disabled && !in.parameters.empty()) {
            return Refuse(dialog, IDS_ERR_WININI_PARAMS);
        }
    }

    // A file that lies in a Startup folder itself leaves with the old entry:
    // nothing may point at it afterwards.
    if (edit.editMode && !edit.disabled) {
        const LocationClass old = ClassifyLocation(edit.oldLocation);
        if (old.kind == LocationKind::StartupFolder &&
            LowerAscii(FullPath(Unquoted(in.path))) == LowerAscii(old.folder + "\\" + edit.title)) {
            return Refuse(dialog, IDS_ERR_PROGRAM_IN_FOLDER);
        }
    }

    if (edit.editMode && edit.disabled) {
        if (!ChangeDisabledRecord(dialog, in, item)) {
            return false;
        }
    } else {
        WriteDialogEntry(dialog, in, folder);
    }
    if (!edit.noRefresh) {
        ScanDriver();
    }
    EndEditMode();
    return true;
}

ProgramFields ReadFields(HWND dialog) {
    ProgramFields fields;
    fields.title = ItemText(dialog, IDC_PROG_TITLE);
    fields.path = ItemText(dialog, IDC_PROG_PATH);
    fields.parameters = ItemText(dialog, IDC_PROG_PARAMS);
    fields.section = ItemText(dialog, IDC_PROG_SECTION);
    fields.group = SelectedGroup(dialog);
    return fields;
}

INT_PTR CALLBACK ProgramDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InitProgramDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            if (AcceptProgramDialog(dialog, ReadFields(dialog))) {
                EndDialog(dialog, IDOK);
            }
            return TRUE;
        case IDCANCEL:
            EndEditMode();
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_PROG_HELP:
            OpenHelp();
            return TRUE;
        case IDC_PROG_BROWSE:
            Browse(dialog);
            return TRUE;
        case IDC_PROG_GROUP:
            if (HIWORD(wParam) == CBN_CLOSEUP || HIWORD(wParam) == CBN_SELCHANGE) {
                ShowSectionLabel(dialog);
            }
            return TRUE;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

void OpenProgramDialog() {
    DialogBoxParamA(g_app.instance, MAKEINTRESOURCEA(IDD_PROGRAM), g_app.mainWindow,
                    ProgramDialogProc, 0);
}

// Opens the dialog in edit mode for one row.
void EditEntry(const EditedRow& row) {
    EditContext& edit = g_app.edit;
    edit.title = row.title;
    edit.disabled = row.disabled;
    edit.path.clear();
    edit.parameters.clear();
    if (!row.command.empty()) {
        edit.path = ResolveCommandPath(row.command, ResolveMode::ProgramPath);
        edit.parameters = ResolveCommandPath(row.command, ResolveMode::Arguments);
    }
    // A location without a group (a subkey of Run or RunOnce) keeps the
    // group of the last edit.
    std::string section;
    const int group = GroupForLocation(row.location, section);
    if (group >= 0) {
        edit.group = group;
        if (group == kGroupRunOnceEx) {
            edit.section = section;
        }
    }
    edit.oldCommand = row.command;
    edit.oldLocation = row.location;
    edit.editMode = true;
    OpenProgramDialog();
    EndEditMode();
}

} // namespace

void AddProgram() {
    EndEditMode();
    g_app.edit.droppedFilePath.clear();
    OpenProgramDialog();
}

void AddDroppedFile(const std::string& path) {
    EndEditMode();
    g_app.edit.droppedFilePath = path;
    OpenProgramDialog();
    g_app.edit.droppedFilePath.clear();
}

void EditSelectedEntries() {
    // Row changes made meanwhile are the program's own.
    const bool busy = g_app.ListBusy;
    g_app.ListBusy = true;
    // The rows are read before the first dialog opens, top first.
    std::vector<EditedRow> rows;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        if (RowSelected(row)) {
            EditedRow edited;
            edited.title = RowText(row, kColumnTitle);
            edited.command = RowText(row, kColumnCommand);
            edited.location = RowText(row, kColumnLocation);
            edited.disabled = RowUnchecked(row);
            rows.push_back(edited);
        }
    }
    bool go = false;
    if (rows.size() == 1) {
        const std::string& title = rows.front().title;
        go = g_app.settings.SingleEdit == 0 ||
             Ask(LoadText(IDS_ASK_EDIT) + (title.empty() ? LoadText(IDS_THIS_PROGRAM) : title) +
                 " ?");
    } else if (rows.size() > 1) {
        go = g_app.settings.MultiEdit == 0 ||
             Ask(LoadText(IDS_ASK_EDIT) + std::to_string(rows.size()) + " " +
                 LoadText(IDS_PROGRAMS_Q));
    }
    if (go) {
        g_app.edit.noRefresh = true;
        for (const EditedRow& row : rows) {
            EditEntry(row);
        }
        ScanDriver();
        g_app.edit.noRefresh = false;
    }
    g_app.ListBusy = busy;
}

} // namespace kv
