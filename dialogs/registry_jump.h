// "Просмотр в реестре": the registry editor brought up at the selected
// entry's key, with its value selected.
#pragma once

#include <windows.h>

#include <string>

namespace kv {

// The command: the row at the list's selection mark.
void ShowEntryInRegistry();

} // namespace kv
