// The command dispatcher of the main window, and the commands that depend on
// the selection.
#pragma once

#include <windows.h>

namespace kv {

// Carries out a command from the menu, an accelerator, the tool bar, a
// context menu or the tray menu; unknown numbers are ignored.
void ExecuteCommand(UINT command);

// The string id of the command's status-bar hint; IDS_HELP_F1 for a command
// that has none of its own (and for 0, a submenu or a closing menu).
UINT CommandHintText(UINT command);

// Enables or greys the commands that need a selection, in the menu and on
// the tool bar: properties with exactly one row selected; "show in registry"
// with exactly one row whose location is a registry key; delete, edit, run,
// terminate and open folder with at least one.
void UpdateSelectionCommands(HMENU menu);

// Greys every selection-dependent command of the main menu and tool bar, as
// when the list is emptied.
void GreySelectionCommands();

// The list's context menu, and showing it at the cursor.
HMENU BuildListContextMenu();
void ShowListContextMenu();

} // namespace kv
