#include "shell/menu_hints.h"

#include "shell/entry_list.h"
#include "shell/strings.h"
#include "resource.h"

namespace kv {

namespace {

struct Hint {
    UINT command;
    UINT text;
};

const Hint kHints[] = {
    // File
    {IDM_ADD, IDS_HINT_ADD},
    {IDM_DELETE, IDS_HINT_DELETE},
    {IDM_EDIT, IDS_HINT_EDIT},
    {IDM_SAVE_LIST, IDS_HINT_SAVE_LIST},
    {IDM_SAVE_LIST_AS, IDS_HINT_SAVE_LIST_AS},
    {IDM_RESTORE_LIST, IDS_HINT_RESTORE_LIST},
    {IDM_CHECK_CHANGES, IDS_HINT_CHECK_CHANGES},
    {IDM_RUN, IDS_HINT_RUN},
    {IDM_TERMINATE, IDS_HINT_TERMINATE},
    {IDM_OPEN_FOLDER, IDS_HINT_OPEN_FOLDER},
    {IDM_PROPERTIES, IDS_HINT_PROPERTIES},
    {IDM_EXIT, IDS_HINT_EXIT},
    // View
    {IDM_REFRESH, IDS_HINT_REFRESH},
    {IDM_PRINT, IDS_HINT_PRINT},
    {IDM_SHOW_IN_REGISTRY, IDS_HINT_SHOW_IN_REGISTRY},
    {IDM_ENABLE_ALL, IDS_HINT_ENABLE_ALL},
    {IDM_DISABLE_ALL, IDS_HINT_DISABLE_ALL},
    {IDM_SELECT_ALL, IDS_HINT_SELECT_ALL},
    {IDM_SAVE_POSITION, IDS_HINT_SAVE_POSITION},
    {IDM_OPTIONS, IDS_HINT_OPTIONS},
    // Tools
    {IDM_TOOL_REGEDIT, IDS_HINT_REGEDIT},
    {IDM_TOOL_MSCONFIG, IDS_HINT_MSCONFIG},
    {IDM_TOOL_SYSEDIT, IDS_HINT_SYSEDIT},
    {IDM_TOOL_SCHEDULER, IDS_HINT_SCHEDULER},
    {IDM_FOLDER_SYSTEM, IDS_HINT_FOLDER_SYSTEM},
    {IDM_FOLDER_WINDOWS, IDS_HINT_FOLDER_WINDOWS},
    {IDM_STARTUP_ALL_USERS, IDS_HINT_STARTUP_ALL},
    {IDM_STARTUP_CURRENT_USER, IDS_HINT_STARTUP_CURRENT},
    {IDM_FILE_WININI, IDS_HINT_WININI},
    {IDM_FILE_SYSTEMINI, IDS_HINT_SYSTEMINI},
    // Help
    {IDM_HELP_CONTENTS, IDS_HINT_HELP},
    {IDM_MAIL_AUTHOR, IDS_HINT_MAIL},
    {IDM_WEBSITE, IDS_HINT_WEBSITE},
    {IDM_ABOUT, IDS_HINT_ABOUT},
    // Tray menu
    {IDM_SHOW_WINDOW, IDS_HINT_SHOW_WINDOW},
};

} // namespace

UINT MenuHintStringId(UINT command) {
    for (const Hint& hint : kHints) {
        if (hint.command == command) {
            return hint.text;
        }
    }
    return IDS_HELP_F1;
}

void ShowMenuHint(UINT command) {
    ShowStatusText(LoadText(MenuHintStringId(command)));
}

void HandleMenuSelect(WPARAM wParam, LPARAM lParam) {
    const UINT item = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    const bool closing = flags == 0xFFFF && lParam == 0;
    // For a submenu entry the item is its position, not a command.
    if (closing || (flags & MF_POPUP) != 0 || (flags & MF_SEPARATOR) != 0) {
        ShowMenuHint(0);
        return;
    }
    ShowMenuHint(item);
}

} // namespace kv
