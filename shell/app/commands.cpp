#include "shell/app/commands.h"

#include "base/handles.h"
#include "base/strings.h"
#include "base/text.h"
#include "dialogs/about_box.h"
#include "dialogs/registry_jump.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/entry_identity.h"
#include "entries/startup_folder.h"
#include "records/settings_store.h"
#include "shell/frame/app_state.h"
#include "shell/list/status_bar.h"
#include "shell/actions/change_check.h"
#include "shell/actions/entry_actions.h"
#include "shell/actions/entry_edit.h"
#include "shell/list/entry_list.h"
#include "shell/actions/list_files.h"
#include "shell/actions/options.h"
#include "shell/actions/program_actions.h"
#include "shell/list/scan_driver.h"
#include "shell/actions/startup_report.h"
#include "shell/frame/toolbar.h"
#include "shell/app/window_layout.h"
#include "resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

namespace kv {

namespace {

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

// What a command needs of the selection to be enabled.
enum class Needs {
    Nothing,
    AnyRows,       // at least one selected row (menu and tool bar)
    OneRow,        // exactly one selected row
    RegistryRow,   // exactly one selected row, of a registry location
    DelayableRows, // selected rows, each of which may be delayed
};

// Each command: what it does, its status-bar hint, and what it needs of the
// selection. A command that is not here does nothing.
struct CommandRoute {
    UINT command;
    void (*run)();
    UINT hint; // 0: the F1 text
    Needs needs;
};

const CommandRoute kCommandRoutes[] = {
    // File
    {IDM_ADD, AddProgram, IDS_HINT_ADD, Needs::Nothing},
    {IDM_EDIT, EditSelectedEntries, IDS_HINT_EDIT, Needs::AnyRows},
    {IDM_DELAY, DelaySelectedEntries, IDS_HINT_DELAY, Needs::DelayableRows},
    {IDM_SAVE_LIST, SaveList, IDS_HINT_SAVE_LIST, Needs::Nothing},
    {IDM_SAVE_LIST_AS, SaveListAs, IDS_HINT_SAVE_LIST_AS, Needs::Nothing},
    {IDM_RESTORE_LIST, RestoreList, IDS_HINT_RESTORE_LIST, Needs::Nothing},
    {IDM_DELETE, DeleteSelectedEntries, IDS_HINT_DELETE, Needs::AnyRows},
    {IDM_CHECK_CHANGES, RunManualCheck, IDS_HINT_CHECK_CHANGES, Needs::Nothing},
    {IDM_RUN, RunSelectedEntries, IDS_HINT_RUN, Needs::AnyRows},
    {IDM_TERMINATE, TerminateSelectedEntries, IDS_HINT_TERMINATE, Needs::AnyRows},
    {IDM_OPEN_FOLDER, StartOpenSelectedFolders, IDS_HINT_OPEN_FOLDER, Needs::AnyRows},
    {IDM_PROPERTIES, ShowSelectedFileProperties, IDS_HINT_PROPERTIES, Needs::OneRow},
    {IDM_EXIT, [] { DestroyWindow(g_app.mainWindow); }, IDS_HINT_EXIT, Needs::Nothing},
    // View. "Включить всё" and "Отключить всё" change the boxes; each row
    // that changes is enabled or disabled by its own row change.
    {IDM_REFRESH, ScanDriver, IDS_HINT_REFRESH, Needs::Nothing},
    {IDM_PRINT, PrintStartupReport, IDS_HINT_PRINT, Needs::Nothing},
    {IDM_SHOW_IN_REGISTRY, ShowEntryInRegistry, IDS_HINT_SHOW_IN_REGISTRY, Needs::RegistryRow},
    {IDM_ENABLE_ALL, CheckAllRows, IDS_HINT_ENABLE_ALL, Needs::Nothing},
    {IDM_DISABLE_ALL, UncheckAllRows, IDS_HINT_DISABLE_ALL, Needs::Nothing},
    {IDM_SELECT_ALL, SelectAllRows, IDS_HINT_SELECT_ALL, Needs::Nothing},
    {IDM_SAVE_POSITION, [] { SaveWindowLayout(CurrentWindowLayout()); }, IDS_HINT_SAVE_POSITION,
     Needs::Nothing},
    {IDM_OPTIONS, OptionsSheet, IDS_HINT_OPTIONS, Needs::Nothing},
    // Tools, folders and files
    {IDM_TOOL_REGEDIT, [] { OpenWithShell("regedit.exe"); }, IDS_HINT_REGEDIT, Needs::Nothing},
    {IDM_TOOL_MSCONFIG, [] { OpenWithShell("msconfig.exe"); }, IDS_HINT_MSCONFIG, Needs::Nothing},
    {IDM_TOOL_SYSEDIT, [] { OpenWithShell("sysedit.exe"); }, IDS_HINT_SYSEDIT, Needs::Nothing},
    {IDM_TOOL_SCHEDULER, [] { WinExec("control.exe schedtasks", SW_SHOWNORMAL); },
     IDS_HINT_SCHEDULER, Needs::Nothing},
    {IDM_FOLDER_SYSTEM, [] { OpenWithShell(SystemDirectory()); }, IDS_HINT_FOLDER_SYSTEM,
     Needs::Nothing},
    {IDM_FOLDER_WINDOWS, [] { OpenWithShell(WindowsDirectory()); }, IDS_HINT_FOLDER_WINDOWS,
     Needs::Nothing},
    {IDM_STARTUP_ALL_USERS, [] { OpenWithShell(GetStartupFolderPath(kAllUsersStartup)); },
     IDS_HINT_STARTUP_ALL, Needs::Nothing},
    {IDM_STARTUP_CURRENT_USER, [] { OpenWithShell(GetStartupFolderPath(kCurrentUserStartup)); },
     IDS_HINT_STARTUP_CURRENT, Needs::Nothing},
    {IDM_FILE_WININI, [] { OpenWithShell(WindowsDirectory() + "\\win.ini"); }, IDS_HINT_WININI,
     Needs::Nothing},
    {IDM_FILE_SYSTEMINI, [] { OpenWithShell(WindowsDirectory() + "\\system.ini"); },
     IDS_HINT_SYSTEMINI, Needs::Nothing},
    // Help
    {IDM_HELP_CONTENTS, OpenHelpFile, IDS_HINT_HELP, Needs::Nothing},
    {IDM_MAIL_AUTHOR, [] { OpenAddress(IDS_MAIL_URL); }, IDS_HINT_MAIL, Needs::Nothing},
    {IDM_WEBSITE, [] { OpenAddress(IDS_WEB_URL); }, IDS_HINT_WEBSITE, Needs::Nothing},
    {IDM_ABOUT, [] { AboutBox(g_app.instance, g_app.mainWindow); }, IDS_HINT_ABOUT, Needs::Nothing},
    // Tool bar and tray menu
    {IDM_STARTUP_FOLDER_MENU, ShowStartupFolderMenu, 0, Needs::Nothing},
    {IDM_SHOW_WINDOW, [] { ShowWindow(g_app.mainWindow, SW_SHOWNORMAL); }, IDS_HINT_SHOW_WINDOW,
     Needs::Nothing},
};

const CommandRoute* RouteOf(UINT command) {
    for (const CommandRoute& route : kCommandRoutes) {
        if (route.command == command) {
            return &route;
        }
    }
    return nullptr;
}

// Whether the selection of the moment allows the command.
bool Allowed(Needs needs, int selected) {
    switch (needs) {
    case Needs::AnyRows:
        return selected >= 1;
    case Needs::OneRow:
        return selected == 1;
    case Needs::RegistryRow: {
        if (selected != 1) {
            return false;
        }
        const int mark =
            static_cast<int>(SendMessageA(g_app.entryList, LVM_GETSELECTIONMARK, 0, 0));
        // Only the registry kinds matter here, and they do not depend on the
        // Startup folders, so none are looked up.
        const LocationKind kind = mark < 0 ? LocationKind::Unknown
                                           : ClassifyLocationIn(RowText(mark, kColumnLocation),
                                                                std::string(), std::string())
                                                 .kind;
        // A packaged app's startup task lives in the registry too: its
        // location is the key of its switch.
        return IsRegistryKind(kind) || kind == LocationKind::PackagedTask;
    }
    case Needs::DelayableRows:
        return selected >= 1 && DelayAllowed(SelectedRows());
    case Needs::Nothing:
        break;
    }
    return true;
}

} // namespace

namespace {

// The commands that change the startup set or rebuild the list.
bool ChangesTheSet(UINT command) {
    switch (command) {
    case IDM_ADD:
    case IDM_EDIT:
    case IDM_DELAY:
    case IDM_RESTORE_LIST:
    case IDM_DELETE:
    case IDM_REFRESH:
    case IDM_ENABLE_ALL:
    case IDM_DISABLE_ALL:
    case IDM_OPTIONS:
        return true;
    default:
        return false;
    }
}

} // namespace

void ExecuteCommand(UINT command) {
    // A change check's question may be open with the window brought up from
    // the tray: what the check asks about must not change under it.
    if (g_app.CheckBusy && ChangesTheSet(command)) {
        ShowStatusText(LoadText(IDS_WAIT_FOR_CHECK));
        return;
    }
    if (const CommandRoute* route = RouteOf(command)) {
        route->run();
    }
}

UINT CommandHintText(UINT command) {
    const CommandRoute* route = RouteOf(command);
    return route != nullptr && route->hint != 0 ? route->hint : IDS_HELP_F1;
}

void UpdateSelectionCommands(HMENU menu) {
    const int selected = SelectedCount();
    for (const CommandRoute& route : kCommandRoutes) {
        if (route.needs != Needs::Nothing) {
            const bool allowed = Allowed(route.needs, selected);
            EnableCommand(menu, route.command, allowed);
            // The tool bar carries the commands that act on every selected row.
            if (route.needs == Needs::AnyRows) {
                EnableToolBarButton(route.command, allowed);
            }
        }
    }
}

void GreySelectionCommands() {
    HMENU menu = g_app.mainWindow != nullptr ? GetMenu(g_app.mainWindow) : nullptr;
    for (const CommandRoute& route : kCommandRoutes) {
        if (route.needs != Needs::Nothing) {
            EnableCommand(menu, route.command, false);
            if (route.needs == Needs::AnyRows) {
                EnableToolBarButton(route.command, false);
            }
        }
    }
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
        {IDM_DELAY, IDS_CTX_DELAY},
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
    const UniqueMenu menu(BuildListContextMenu());
    UpdateSelectionCommands(menu.get());
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, g_app.mainWindow, nullptr);
}

} // namespace kv
