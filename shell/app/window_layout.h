// What the main window and its list look like now, as settings.ini keeps it.
#pragma once

#include "records/settings_store.h"

namespace kv {

// The window's restored rectangle and show state as its placement gives them,
// and the list's column order and widths.
WindowLayout CurrentWindowLayout();

} // namespace kv
