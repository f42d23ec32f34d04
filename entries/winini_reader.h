// The "run" and "load" parameters of the section "windows" of win.ini: each
// names several programs in one line.
#pragma once

#include "entries/startup_entry.h"

#include <string>
#include <vector>

namespace kv {

// The whole value of the parameter in the section "windows", read through
// the profile functions; empty when it is missing.
std::string ReadWinIniValue(const std::string& parameter);
// The same through the wide calls: exact also where the code page cannot
// carry a character.
std::wstring ReadWinIniValueWide(const std::string& parameter);

// The items of a parameter value, in line order: the value is split at
// blanks, then each word at commas; runs of separators count as one, and
// separators at either end are ignored.
std::vector<std::string> SplitWinIniItems(const std::string& value);

// One row per item of the parameter: the item is the command, the program
// file's name the title.
std::vector<StartupEntry> ScanWinIniParameter(const std::string& name);

} // namespace kv
