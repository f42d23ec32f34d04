// The main window: the entry list and the status bar, laid out in its client
// area.
#pragma once

#include <windows.h>

namespace kv {

extern const char* const kMainWindowClass; // "Arrow"
extern const char* const kMainWindowTitle; // "Kelvorin"

// Registers the window class of the main window.
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the main window (hidden); its creation builds the controls and runs
// the first scan. Returns null when the window cannot be created.
HWND CreateMainWindow(HINSTANCE instance, int x, int y, int width, int height);

// Places the controls in a client area of this size.
void LayoutMainWindow(int width, int height);

// Layout numbers.
constexpr int kStatusBarHeight = 20;
constexpr int kStatusRightPartWidth = 270;

} // namespace kv
