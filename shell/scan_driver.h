// The one refresh of the entry list.
#pragma once

#include "entries/startup_entry.h"

#include <vector>

namespace kv {

// Empties the entry list and refills it from every startup location in their
// fixed order, marks what was read as enabled, sorts by the last sort column
// and direction, and reports in the status bar.
void ScanDriver();

// The startup set without a window: every location's entries (checked) and
// the disabled ones (unchecked), in the order a first refresh shows them.
// Nothing is written.
std::vector<StartupEntry> ReadStartupSet();

} // namespace kv
