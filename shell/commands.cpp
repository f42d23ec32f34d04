#include "shell/commands.h"

#include "dialogs/about_box.h"
#include "dialogs/registry_jump.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/startup_folder.h"
#include "entries/text.h"
#include "records/settings_store.h"
#include "shell/app_state.h"
#include "shell/change_check.h"
#include "shell/entry_actions.h"
#include "shell/entry_edit.h"
#include "shell/entry_list.h"
#include "shell/list_files.h"
#include "shell/main_window.h"
#include "shell/options.h"
#include "shell/program_actions.h"
#include "shell/scan_driver.h"
#include "shell/startup_report.h"
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

// "Просмотр в реестре": the registry editor at the row at the selection mark.
void ShowEntryInRegistry() {
    const int mark = static_cast<int>(SendMessageA(g_app.entryList, LVM_GETSELECTIONMARK, 0, 0));
    if (mark < 0) {
        return;
    }
    const RegistryTarget target =
        RegistryJumpTarget(RowText(mark, kColumnLocation), RowText(mark, kColumnTitle));
    JumpToRegistryKey(g_app.mainWindow, target.keyPath, target.valueName);
}

void OpenHelpFile() {
    const std::string directory = ExecutableDirectory();
    OpenWithShell(directory + "\\Kelvorin.chm", directory);
}

// What each command does. A command that is not here (those whose dialogs and
// actions are still to come among them) does nothing.
struct CommandRoute {
    UINT command;
    void (*run)();
};

const CommandRoute kCommandRoutes[] = {
    // File
    {IDM_ADD, AddProgram},
    {IDM_EDIT, EditSelectedEntries},
    {IDM_SAVE_LIST, SaveList},
    {IDM_SAVE_LIST_AS, SaveListAs},
    {IDM_RESTORE_LIST, RestoreList},
    {IDM_DELETE, DeleteSelectedEntries},
    {IDM_CHECK_CHANGES, RunManualCheck},
    {IDM_RUN, RunSelectedEntries},
    {IDM_TERMINATE, TerminateSelectedEntries},
    {IDM_OPEN_FOLDER, StartOpenSelectedFolders},
    {IDM_PROPERTIES, ShowSelectedFileProperties},
    {IDM_EXIT, [] { DestroyWindow(g_app.mainWindow); }},
    // View. "Включить всё" and "Отключить всё" change the boxes; each row
    // that changes is enabled or disabled by its own row change.
    {IDM_REFRESH, ScanDriver},
    {IDM_PRINT, PrintStartupReport},
    {IDM_SHOW_IN_REGISTRY, ShowEntryInRegistry},
    {IDM_ENABLE_ALL, CheckAllRows},
    {IDM_DISABLE_ALL, UncheckAllRows},
    {IDM_SELECT_ALL, SelectAllRows},
    {IDM_SAVE_POSITION, [] { SaveWindowLayout(CurrentWindowLayout()); }},
    {IDM_OPTIONS, OptionsSheet},
    // Tools, folders and files
    {IDM_TOOL_REGEDIT, [] { OpenWithShell("regedit.exe"); }},
    {IDM_TOOL_MSCONFIG, [] { OpenWithShell("msconfig.exe"); }},
    {IDM_TOOL_SYSEDIT, [] { OpenWithShell("sysedit.exe"); }},
    {IDM_TOOL_SCHEDULER, [] { WinExec("control.exe schedtasks", SW_SHOWNORMAL); }},
    {IDM_FOLDER_SYSTEM, [] { OpenWithShell(SystemDirectory()); }},
    {IDM_FOLDER_WINDOWS, [] { OpenWithShell(WindowsDirectory()); }},
    {IDM_STARTUP_ALL_USERS, [] { OpenWithShell(GetStartupFolderPath(kAllUsersStartup)); }},
    {IDM_STARTUP_CURRENT_USER, [] { OpenWithShell(GetStartupFolderPath(kCurrentUserStartup)); }},
    {IDM_FILE_WININI, [] { OpenWithShell(WindowsDirectory() + "\\win.ini"); }},
    {IDM_FILE_SYSTEMINI, [] { OpenWithShell(WindowsDirectory() + "\\system.ini"); }},
    // Help
    {IDM_HELP_CONTENTS, OpenHelpFile},
    {IDM_MAIL_AUTHOR, [] { OpenAddress(IDS_MAIL_URL); }},
    {IDM_WEBSITE, [] { OpenAddress(IDS_WEB_URL); }},
    {IDM_ABOUT, [] { AboutBox(g_app.instance, g_app.mainWindow); }},
    // Tool bar and tray menu
    {IDM_STARTUP_FOLDER_MENU, ShowStartupFolderMenu},
    {IDM_SHOW_WINDOW, [] { ShowWindow(g_app.mainWindow, SW_SHOWNORMAL); }},
};

} // namespace

void ExecuteCommand(UINT command) {
    for (const CommandRoute& route : kCommandRoutes) {
        if (route.command == command) {
            route.run();
            return;
        }
    }
}

void UpdateSelectionCommands(HMENU menu) {
    const int selected = SelectedCount();
    EnableCommand(menu, IDM_PROPERTIES, selected == 1);

    bool registryRow = false;
    if (selected == 1) {
        const int mark =
            static_cast<int>(SendMessageA(g_app.entryList, LVM_GETSELECTIONMARK, 0, 0));
        if (mark >= 0) {
            // Only the registry kinds matter here, and they do not depend on
            // the Startup folders, so none are looked up.
            const LocationKind kind =
                ClassifyLocationIn(RowText(mark, kColumnLocation), std::string(), std::string())
                    .kind;
            registryRow = kind == LocationKind::RegistryKey ||
                          kind == LocationKind::RegistrySubkey ||
                          kind == LocationKind::RunOnceExSection;
        }
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
