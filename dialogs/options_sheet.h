// The options sheet "Настройки программы ...": the general, confirmation and
// monitoring settings, and Kelvorin's own autostart.
#pragma once

namespace kv {

// Opens the sheet modally; refreshes the list when anything was applied.
void OptionsSheet();

} // namespace kv
