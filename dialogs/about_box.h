// The about box: the program's name and version and its two links.
#pragma once

#include <windows.h>

namespace kv {

// The colour of the links: the system's hot-tracking colour, or blue when the
// system has none or it hardly stands out from the dialog's face colour.
COLORREF LinkColour(COLORREF hot, bool hasHot, COLORREF face);

// Opens the about box modally, with the program's resources and its owner.
void AboutBox(HINSTANCE instance, HWND owner);

// Tests: the function that hands a clicked link's target to the shell, in
// place of ShellExecuteA (so that no mail program or browser starts); null
// puts ShellExecuteA back.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND owner, LPCSTR verb, LPCSTR file,
                                                LPCSTR parameters, LPCSTR directory, INT show);
void SetShellExecuteForTests(ShellExecuteFunction function);

} // namespace kv
