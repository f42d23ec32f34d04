// Editing one line of win.ini's "run" or "load" parameter as text. A line is a
// list of items separated by blanks, commas, or both.
#pragma once

#include <string>

namespace kv {

// The line with the item appended: one blank before it unless the line is empty.
std::string AppendWinIniItem(const std::string& line, const std::string& item);
std::wstring AppendWinIniItem(const std::wstring& line, const std::wstring& item);

// Finds the first whole item equal to `item` (ignoring the case of A-Z): an
// item is bounded by the start or end of the line, a blank or a comma, so a
// piece of a longer item never matches. On success `line` loses the item and
// the one separator that follows it, if any; every other character of the line
// stays exactly as it was. Returns false (line unchanged) when there is none.
bool RemoveWinIniItemFromLine(std::string& line, const std::string& item);
// The same for a line as the wide calls give it: the items the code page
// cannot carry stay exactly as they were.
bool RemoveWinIniItemFromLine(std::wstring& line, const std::wstring& item);

} // namespace kv
