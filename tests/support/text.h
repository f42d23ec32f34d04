// Test sources are UTF-8; the program's texts are in the system code page.
#pragma once

#include <string>

namespace kvtest {

// UTF-8 text in the system (ANSI) code page, as LoadStringA and the list give it.
std::string Ansi(const std::string& utf8);
// System code page text as UTF-8, for readable failure messages.
std::string Utf8(const std::string& ansi);

} // namespace kvtest
