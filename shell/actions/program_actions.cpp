#include "shell/actions/program_actions.h"

#include "base/handles.h"
#include "base/strings.h"
#include "base/text.h"
#include "entries/command_path.h"
#include "entries/processes.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/frame/message_boxes.h"
#include "shell/list/row_facts.h"
#include "shell/list/status_bar.h"
#include "resource.h"

#include <commctrl.h>
#include <process.h>
#include <shellapi.h>

#include <cstdint>
#include <unordered_set>

namespace kv {

namespace {

// Starts one program with its arguments; false when the shell could not.
bool StartProgram(const std::string& programPath, const std::string& arguments) {
    // The program Windows would start for the path, also in a 32-bit build
    // on 64-bit Windows.
    const std::string file = FileLookupPath(programPath);
    const HINSTANCE result =
        ShellExecuteA(g_app.mainWindow, "open", file.c_str(), arguments.c_str(), "", SW_SHOW);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

// The folder that holds a program: the text before the last backslash of its
// path; empty when the path has none. A program at the root of a drive gives
// the drive's root, not the drive's current folder.
std::string FolderOf(const std::string& programPath) {
    const std::string::size_type slash = programPath.rfind('\\');
    if (slash == std::string::npos) {
        return std::string();
    }
    std::string folder = programPath.substr(0, slash);
    if (!folder.empty() && folder.back() == ':') {
        folder += '\\';
    }
    return folder;
}

// The routine of the open-folder worker: it reads the list only through
// messages, which the window's thread answers.
void OpenSelectedFolders() {
    const std::vector<int> rows = SelectedRows();
    if (rows.empty()) {
        return;
    }
    // The commands are read before asking, so the folders opened are those of
    // the rows the question was about.
    std::vector<std::string> commands;
    commands.reserve(rows.size());
    for (int row : rows) {
        commands.push_back(RowText(row, kColumnCommand));
    }
    const std::string title = rows.size() == 1 ? RowText(rows.front(), kColumnTitle) : "";
    const RowsQuestion question{IDS_ASK_OPEN_FOLDER, IDS_ASK_OPEN_FOLDERS, IDS_PROGRAMS,
                                g_app.settings.SingleOpen, g_app.settings.MultiOpen};
    if (!ConfirmRows(question, rows.size(),
                     title.empty() ? LoadText(IDS_OF_THIS_PROGRAM) : title)) {
        return;
    }
    for (const std::string& command : commands) {
        const std::string folder = FolderOf(ResolveProgramFile(command));
        if (!folder.empty()) {
            ShellExecuteA(g_app.mainWindow, "open", folder.c_str(), "", "", SW_SHOW);
        }
    }
}

unsigned __stdcall OpenSelectedFoldersThread(void*) {
    // The shell may hand the folder to COM objects on this thread.
    ComScope com;
    OpenSelectedFolders();
    return 0;
}

} // namespace

void MarkRunningRows() {
    if (!g_app.ProcessListAvailable) {
        return;
    }
    const std::unordered_set<std::string> running = RunningProcessNames();
    if (running.empty()) {
        return;
    }
    // Commands not resolved since the refresh are resolved now, from the
    // refresh's folder listings.
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        const std::string command = RowText(row, kColumnCommand);
        if (!command.empty() && running.count(ProgramName(ProgramPathOf(command))) != 0) {
            SetRowRunning(row, true);
        }
    }
}

void RunSelectedEntries() {
    const std::vector<int> rows = SelectedRows();
    std::string name;
    if (rows.size() == 1) {
        name = RowText(rows.front(), kColumnTitle);
        if (name.empty()) {
            name = ResolveProgramFile(RowText(rows.front(), kColumnCommand));
        }
    }
    const RowsQuestion question{IDS_ASK_RUN_ONE, IDS_ASK_RUN_MANY, IDS_PROGRAMS_Q,
                                g_app.settings.SingleRun, g_app.settings.MultiRun};
    const bool start = !rows.empty() && ConfirmRows(question, rows.size(), name);
    std::string failure;
    if (start) {
        for (int row : rows) {
            // Started as Windows starts it: with its variables expanded.
            const std::string command = ExpandedCommand(RowText(row, kColumnCommand));
            const std::string program = ResolveCommandPath(command, ResolveMode::ProgramPath);
            if (program.empty()) {
                continue;
            }
            if (!StartProgram(program, ResolveCommandPath(command, ResolveMode::Arguments))) {
                failure = LoadText(IDS_CANT_RUN) + program;
            }
        }
    }
    MarkRunningRows();
    if (!failure.empty()) {
        ShowStatusText(failure);
    }
}

void StartOpenSelectedFolders() {
    // The thread runs on its own; its handle is not needed.
    const uintptr_t thread =
        _beginthreadex(nullptr, 0, &OpenSelectedFoldersThread, nullptr, 0, nullptr);
    if (thread != 0) {
        CloseHandle(reinterpret_cast<HANDLE>(thread));
    }
}

void ShowSelectedFileProperties() {
    const int mark = static_cast<int>(SendMessageA(g_app.entryList, LVM_GETSELECTIONMARK, 0, 0));
    if (mark < 0) {
        return;
    }
    const std::string program = FileLookupPath(ResolveProgramFile(RowText(mark, kColumnCommand)));
    if (program.empty()) {
        return;
    }
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_INVOKEIDLIST;
    info.lpVerb = "properties";
    info.lpFile = program.c_str();
    ShellExecuteExA(&info);
}

void TerminateSelectedEntries() {
    if (!g_app.ProcessListAvailable) {
        return;
    }
    std::string failure;
    for (int row : SelectedRows()) {
        const std::string command = RowText(row, kColumnCommand);
        if (command.empty()) {
            continue;
        }
        const std::string& program = ProgramPathOf(command);
        switch (StopFirstProcessNamed(ProgramName(program))) {
        case StopResult::Stopped:
            SetRowRunning(row, false);
            break;
        case StopResult::Failed:
            failure = LoadText(IDS_CANT_TERMINATE) + AfterLastBackslash(program);
            break;
        case StopResult::NotRunning:
            break;
        }
    }
    if (!failure.empty()) {
        ShowStatusText(failure);
    }
}

} // namespace kv
