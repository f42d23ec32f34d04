// The description a program file gives of itself in its version resource.
#pragma once

#include <string>

namespace kv {

// The "FileDescription" of the file's version resource, in the language and
// code page of its first translation; empty when the file has no version
// resource, no translation or no description.
std::string ProgramDescription(const std::string& path);

} // namespace kv
