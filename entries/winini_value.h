// Writing win.ini's "run" and "load" lines whole.
#pragma once

#include <string>

namespace kv {

// Writes the value of the parameter of section "windows" and checks that it
// reads back whole. On NT the section lives in the registry, and some profile
// implementations cut long values on the way: the value is then written into
// that registry value directly. False when the line could not be stored whole.
bool WriteWinIniValue(const std::string& parameter, const std::string& value);

} // namespace kv
