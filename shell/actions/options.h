// "Настройки программы ...": opens the options sheet and carries out what it
// applied: the program's own autostart value, the running settings and the
// tray icon.
#pragma once

namespace kv {

// Opens the sheet modally; refreshes the list when anything was applied.
void OptionsSheet();

} // namespace kv
