#include "dialogs/program_dialog.h"

#include "base/strings.h"
#include "base/text.h"
#include "dialogs/program_groups.h"
#include "entries/catalogue.h"
#include "entries/location_writers.h"
#include "entries/startup_folder.h"
#include "records/settings_store.h"
#include "resource.h"

#include <commdlg.h>
#include <shellapi.h>

#include <vector>

namespace kv {

namespace {

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

// The name of the file a path names, as the title of a new entry.
std::string FileNamePart(const std::string& path) {
    return AfterLastBackslash(FullPath(path));
}

int SelectedGroup(HWND dialog) {
    const LRESULT selected = SendDlgItemMessageA(dialog, IDC_PROG_GROUP, CB_GETCURSEL, 0, 0);
    return selected < 0 || selected >= kGroupCount ? 0 : static_cast<int>(selected);
}

// The section's label is enabled while RunOnceEx is the group.
void ShowSectionLabel(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDC_PROG_SECTION_LABEL),
                 IsRunOnceExGroup(SelectedGroup(dialog)));
    InvalidateRect(dialog, nullptr, FALSE);
}

void FillGroupList(HWND combo, HIMAGELIST images) {
    SendMessageA(combo, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images));
    for (int group = 0; group < kGroupCount; ++group) {
        const GroupItem& entry = GroupItemOf(group);
        COMBOBOXEXITEMA item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
        item.iItem = -1;
        item.pszText = const_cast<char*>(entry.text);
        item.iImage = entry.picture;
        item.iSelectedImage = entry.picture;
        item.iIndent = entry.indent;
        SendMessageA(combo, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void InitProgramDialog(HWND dialog, const ProgramDialogRequest& request) {
    for (int id : {IDC_PROG_TITLE, IDC_PROG_PATH, IDC_PROG_PARAMS, IDC_PROG_SECTION}) {
        // Texts as long as the registry and the files hold them.
        SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, 0, 0);
        SetDlgItemTextA(dialog, id, "");
    }
    FillGroupList(GetDlgItem(dialog, IDC_PROG_GROUP), request.groupImages);
    if (!request.droppedFile.empty()) {
        SetDlgItemTextA(dialog, IDC_PROG_PATH, request.droppedFile.c_str());
        SetDlgItemTextA(dialog, IDC_PROG_TITLE, FileNamePart(request.droppedFile).c_str());
    }
    // An edited row with an empty title opens with empty fields and group 0.
    const ProgramFields& prefill = request.prefill;
    if (!prefill.title.empty()) {
        SendDlgItemMessageA(dialog, IDC_PROG_GROUP, CB_SETCURSEL,
                            static_cast<WPARAM>(prefill.group), 0);
        SetDlgItemTextA(dialog, IDC_PROG_TITLE, prefill.title.c_str());
        SetDlgItemTextA(dialog, IDC_PROG_PATH, prefill.path.c_str());
        SetDlgItemTextA(dialog, IDC_PROG_PARAMS, prefill.parameters.c_str());
        if (IsRunOnceExGroup(prefill.group)) {
            SetDlgItemTextA(dialog, IDC_PROG_SECTION, prefill.section.c_str());
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

void OpenHelp(HWND owner) {
    const std::string folder = ExecutableDirectory();
    const std::string file = folder + "\\Kelvorin.chm";
    ShellExecuteA(owner, "open", file.c_str(), "", folder.c_str(), SW_SHOW);
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

// What the checks need of the system for these fields.
FieldFacts FactsOf(const ProgramFields& fields, bool editingDisabled) {
    FieldFacts facts;
    facts.editingDisabled = editingDisabled;
    if (fields.group == kGroupAllUsersStartup || fields.group == kGroupCurrentUserStartup) {
        facts.startupFolder = GetStartupFolderPath(
            fields.group == kGroupAllUsersStartup ? kAllUsersStartup : kCurrentUserStartup);
    }
    if (GroupItemOf(fields.group).check == GroupCheck::Untitled) {
        facts.winIniItem = ShortPathOrSame(fields.path);
    }
    return facts;
}

// OK: the checks in order, the first problem with its message; then the
// caller writes. False while the dialog is to stay open.
bool Accept(HWND dialog, const ProgramDialogRequest& request) {
    const ProgramFields fields = ReadFields(dialog);
    const unsigned problem = FirstFieldProblem(fields, FactsOf(fields, request.editingDisabled));
    if (problem != 0) {
        // An input error: the dialog stays open with what the user typed.
        MessageBoxA(dialog, LoadText(problem).c_str(), "Kelvorin", MB_OK | MB_ICONERROR);
        return false;
    }
    return !request.accept || request.accept(dialog, fields);
}

INT_PTR CALLBACK ProgramDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        InitProgramDialog(dialog, *reinterpret_cast<const ProgramDialogRequest*>(lParam));
        return TRUE;
    }
    const auto* request =
        reinterpret_cast<const ProgramDialogRequest*>(GetWindowLongPtrA(dialog, DWLP_USER));
    if (message != WM_COMMAND || request == nullptr) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
    case IDOK:
        if (Accept(dialog, *request)) {
            EndDialog(dialog, IDOK);
        }
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_PROG_HELP:
        OpenHelp(request->owner);
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
        return FALSE;
    }
}

} // namespace

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

bool RunProgramDialog(const ProgramDialogRequest& request) {
    return DialogBoxParamA(request.instance, MAKEINTRESOURCEA(IDD_PROGRAM), request.owner,
                           ProgramDialogProc, reinterpret_cast<LPARAM>(&request)) == IDOK;
}

} // namespace kv
