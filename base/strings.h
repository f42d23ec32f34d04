// Texts of the string table, whole, in the system code page.
#pragma once

#include <windows.h>

#include <string>

namespace kv {

// The string-table text with this id from the program's module; empty when
// there is none.
std::string LoadText(UINT id);

} // namespace kv
