// Notifications of the main window's controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace kv {

// Handles one WM_NOTIFY of the main window: tool tips, the rebar's height,
// and the entry list's column clicks, clearing, row changes, right and double
// clicks. Always returns 0.
LRESULT HandleNotify(NMHDR* header);

} // namespace kv
