// Status-bar hints for highlighted menu entries.
#pragma once

#include <windows.h>

namespace kv {

// Shows the hint of the command in the left part of the status bar.
void ShowMenuHint(UINT command);

// WM_MENUSELECT of the main window: the hint of the highlighted entry; a
// submenu entry or the closing of the menu shows the F1 text.
void HandleMenuSelect(WPARAM wParam, LPARAM lParam);

} // namespace kv
