// Notifications of the main window's controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace kv {

// Handles one WM_NOTIFY of the main window: tool tips, the rebar's height,
// and the entry list's column clicks, clearing, row requests and changes,
// clicks on check boxes, right and double clicks, the space bar and typed
// searches. Returns the found row for a search, else 0.
LRESULT HandleNotify(NMHDR* header);

// Sets a row's check box as the user does: outside a rebuild, the entry
// follows it (enabled when checked, disabled when cleared), and the
// commands, the description and the counts follow the change.
void ChangeRowBox(int row, bool checked);

} // namespace kv
