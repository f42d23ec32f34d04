// The about box: the program's name and version and its two links.
#pragma once

#include <windows.h>

namespace kv {

// The colour of the links: the system's hot-tracking colour, or blue when the
// system has none or it hardly stands out from the dialog's face colour.
COLORREF LinkColour(COLORREF hot, bool hasHot, COLORREF face);

// Opens the about box modally, with the program's resources and its owner.
void AboutBox(HINSTANCE instance, HWND owner);

} // namespace kv
