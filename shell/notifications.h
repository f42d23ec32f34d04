// Notifications of the main window's controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace kv {

// Handles one WM_NOTIFY of the main window; always returns 0.
LRESULT HandleNotify(const NMHDR* header);

} // namespace kv
