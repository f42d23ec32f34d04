// Finding the dialogs the program shows in the test process: message boxes,
// file dialogs, its own dialogs.
#pragma once

#include <windows.h>

#include <functional>

namespace kvtest {

// The first visible dialog window ("#32770") of this process for which
// `match` holds; null when there is none.
HWND FindOwnDialog(const std::function<bool(HWND)>& match);

} // namespace kvtest
