// Writing win.ini's "run" and "load" lines whole.
#pragma once

#include <string>

namespace kv {

// Writes the value of the parameter of section "windows" and checks that it
// reads back whole. On NT the section lives in the registry, and some profile
// implementations cut long values on the way: the value is then written into
// that registry value directly. False when the line could not be stored whole.
bool WriteWinIniValue(const std::string& parameter, const std::string& value);
// The same through the wide calls, so that items the code page cannot carry
// are written back exactly.
bool WriteWinIniValueWide(const std::string& parameter, const std::wstring& value);

} // namespace kv
