// The dialog "Отложенный запуск": the delay, in seconds, of a delayed start.
// It takes the delay to show and gives the one chosen; it changes nothing.
#pragma once

#include <windows.h>

#include <string>

namespace kv {

// The delay the dialog proposes when the rows have none of their own.
constexpr int kDefaultDelaySeconds = 60;

// The seconds typed in the edit: digits only (blanks around them allowed),
// from 0 to kMaxDelaySeconds. False for anything else, also for a number too
// long to hold.
bool DelayOfInput(const std::string& text, int& seconds);

// Shows the dialog modally with `seconds` in its edit; true with the chosen
// delay (0: start with Windows again) on OK, false on Cancel. A text that is
// no delay is said in a box and the dialog stays open.
bool RunDelayDialog(HINSTANCE instance, HWND owner, int& seconds);

} // namespace kv
