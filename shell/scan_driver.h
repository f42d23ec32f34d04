// The one refresh of the entry list.
#pragma once

namespace kv {

// Empties the entry list and refills it from every startup location in their
// fixed order, marks what was read as enabled, sorts by the last sort column
// and direction, and reports in the status bar.
void ScanDriver();

} // namespace kv
