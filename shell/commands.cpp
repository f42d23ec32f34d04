#include "shell/commands.h"

#include "records/settings_store.h"
#include "entries/command_path.h"
#include "entries/startup_folder.h"
#include "entries/text.h"
#include "shell/app_state.h"
#include "shell/entry_actions.h"
#include "shell/entry_list.h"
#include "shell/main_window.h"
#include "shell/scan_driver.h"
#include "shell/strings.h"
#include "shell/toolbar.h"
#include "resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

namespace kv {

namespace {

// Commands that act on every selected row.
const UINT kSelectionCommands[] = {IDM_DELETE, IDM_EDIT, IDM_RUN, IDM_TERMINATE, IDM_OPEN_FOLDER};

void EnableCommand(HMENU menu, UINT command, bool enabled) {
    if (menu != nullptr) {
        EnableMenuItem(menu, command, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
    }
}

void EnableToolBarButton(UINT command, bool enabled) {
    if (g_app.toolBar != nullptr) {
        SendMessageA(g_app.toolBar, TB_ENABLEBUTTON, command, MAKELPARAM(enabled ? 1 : 0, 0));
    }
}

// A tool, folder or file opened by the shell as the user would double-click
// it; nothing is reported when it does not open.
void OpenWithShell(const std::string& target, const std::string& directory = std::string()) {
    // A folder the system does not name (a Startup folder missing from the
    // registry) is not opened: an empty path would open some other folder.
    if (target.empty()) {
        return;
    }
    ShellExecuteA(g_app.mainWindow, "open", target.c_str(), "", directory.c_str(), SW_SHOW);
}

// The mail and web addresses go to the shell's default handler.
void OpenAddress(UINT text) {
    ShellExecuteA(nullptr, nullptr, LoadText(text).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

} // namespace

void ExecuteCommand(UINT command) {
    switch (command) {
    // File
    case IDM_ADD:
        // The program dialog, new mode, nothing preset.
        break;
    case IDM_DELETE:
        DeleteSelectedEntries();
        break;
    case IDM_EDIT:
        // The program dialog in edit mode for each selected row.
        break;
    case IDM_SAVE_LIST:
        // Saving the list to the last list file (asking for one if none).
        break;
    case IDM_SAVE_LIST_AS:
        // Saving the list, always asking for the file.
        break;
    case IDM_RESTORE_LIST:
        // Restoring a saved list, after its confirmation.
        break;
    case IDM_CHECK_CHANGES:
        // The manual change check, with the monitoring timer stopped meanwhile.
        break;
    case IDM_RUN:
        // Running the selected programs.
        break;
    case IDM_TERMINATE:
        // Stopping the selected programs.
        break;
    case IDM_OPEN_FOLDER:
        // Opening the folders of the selected programs, on a worker thread.
        break;
    case IDM_PROPERTIES:
        // The file properties of the program at the selection mark.
        break;
    case IDM_EXIT:
        DestroyWindow(g_app.mainWindow);
        break;

    // View
    case IDM_REFRESH:
        ScanDriver();
        break;
    case IDM_PRINT:
        // The printed startup report.
        break;
    case IDM_SHOW_IN_REGISTRY:
        // The registry editor at the key of the row at the selection mark.
        break;
    case IDM_ENABLE_ALL:
        // Each row that changes is enabled by its own row change.
        CheckAllRows();
        break;
    case IDM_DISABLE_ALL:
        // Each row that changes is disabled by its own row change.
        UncheckAllRows();
        break;
    case IDM_SELECT_ALL:
        SelectAllRows();
        break;
    case IDM_SAVE_POSITION:
        SaveWindowLayout(CurrentWindowLayout());
        break;
    case IDM_OPTIONS:
        // The options sheet.
        break;

    // Tools
    case IDM_TOOL_REGEDIT:
        OpenWithShell("regedit.exe");
        break;
    case IDM_TOOL_MSCONFIG:
        OpenWithShell("msconfig.exe");
        break;
    case IDM_TOOL_SYSEDIT:
        OpenWithShell("sysedit.exe");
        break;
    case IDM_TOOL_SCHEDULER:
        WinExec("control.exe schedtasks", SW_SHOWNORMAL);
        break;
    case IDM_FOLDER_SYSTEM:
        OpenWithShell(SystemDirectory());
        break;
    case IDM_FOLDER_WINDOWS:
        OpenWithShell(WindowsDirectory());
        break;
    case IDM_STARTUP_ALL_USERS:
        OpenWithShell(GetStartupFolderPath(kAllUsersStartup));
        break;
    case IDM_STARTUP_CURRENT_USER:
        OpenWithShell(GetStartupFolderPath(kCurrentUserStartup));
        break;
    case IDM_FILE_WININI:
        OpenWithShell(WindowsDirectory() + "\\win.ini");
        break;
    case IDM_FILE_SYSTEMINI:
        OpenWithShell(WindowsDirectory() + "\\system.ini");
        break;

    // Help
    case IDM_HELP_CONTENTS: {
        const std::string directory = ExecutableDirectory();
        OpenWithShell(directory + "\\Kelvorin.chm", directory);
        break;
    }
    case IDM_MAIL_AUTHOR:
        OpenAddress(IDS_MAIL_URL);
        break;
    case IDM_WEBSITE:
        OpenAddress(IDS_WEB_URL);
        break;
    case IDM_ABOUT:
        // The about box.
        break;

    // Tool bar and tray menu
    case IDM_STARTUP_FOLDER_MENU:
        ShowStartupFolderMenu();
        break;
    case IDM_SHOW_WINDOW:
        ShowWindow(g_app.mainWindow, SW_SHOWNORMAL);
        break;

    default:
        break;
    }
}

void UpdateSelectionCommands(HMENU menu) {
    const int selected = SelectedCount();
    EnableCommand(menu, IDM_PROPERTIES, selected == 1);

    bool registryRow = false;
    if (selected == 1) {
        const int mark =
            static_cast<int>(SendMessageA(g_app.entryList, LVM_GETSELECTIONMARK, 0, 0));
        registryRow = mark >= 0 && StartsWithNoCase(RowText(mark, kColumnLocation), "HK");
    }
    EnableCommand(menu, IDM_SHOW_IN_REGISTRY, registryRow);

    for (UINT command : kSelectionCommands) {
        EnableCommand(menu, command, selected >= 1);
        EnableToolBarButton(command, selected >= 1);
    }
}

void GreySelectionCommands() {
    HMENU menu = g_app.mainWindow != nullptr ? GetMenu(g_app.mainWindow) : nullptr;
    for (UINT command : kSelectionCommands) {
        EnableToolBarButton(command, false);
        EnableCommand(menu, command, false);
    }
    EnableCommand(menu, IDM_SHOW_IN_REGISTRY, false);
    EnableCommand(menu, IDM_PROPERTIES, false);
}

HMENU BuildListContextMenu() {
    struct Entry {
        UINT command; // 0: separator
        UINT text;
    };
    const Entry entries[] = {
        {IDM_ADD, IDS_CTX_ADD},
        {IDM_DELETE, IDS_CTX_DELETE},
        {IDM_EDIT, IDS_CTX_EDIT},
        {0, 0},
        {IDM_CHECK_CHANGES, IDS_CTX_CHECK_CHANGES},
        {IDM_REFRESH, IDS_CTX_REFRESH},
        {0, 0},
        {IDM_RUN, IDS_CTX_RUN},
        {IDM_TERMINATE, IDS_CTX_TERMINATE},
        {IDM_OPEN_FOLDER, IDS_CTX_OPEN_FOLDER},
        {0, 0},
        {IDM_SHOW_IN_REGISTRY, IDS_CTX_SHOW_IN_REGISTRY},
        {0, 0},
        {IDM_PROPERTIES, IDS_CTX_PROPERTIES},
    };
    HMENU menu = CreatePopupMenu();
    for (const Entry& entry : entries) {
        if (entry.command == 0) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuA(menu, MF_STRING, entry.command, LoadText(entry.text).c_str());
        }
    }
    return menu;
}

void ShowListContextMenu() {
    POINT cursor{};
    GetCursorPos(&cursor);
    HMENU menu = BuildListContextMenu();
    UpdateSelectionCommands(menu);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, g_app.mainWindow, nullptr);
    DestroyMenu(menu);
}

} // namespace kv
