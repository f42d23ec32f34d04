// The main window: the tool bar in its rebar, the entry list and the status
// bar, laid out in its client area; its tray icon, timer and system commands.
#pragma once

#include "records/settings_store.h"
#include "shell/list/status_bar.h"

#include <windows.h>

#include <string>

namespace kv {

extern const char* const kMainWindowClass; // "Arrow"
extern const char* const kMainWindowTitle; // "Kelvorin"

// Registers the window class of the main window.
bool RegisterMainWindowClass(HINSTANCE instance);

// Creates the main window (hidden); its creation reads the settings, adds the
// tray icon, builds the controls, runs the first scan and starts the
// monitoring timer. Returns null when the window cannot be created.
HWND CreateMainWindow(HINSTANCE instance, int x, int y, int width, int height);

// Places the controls in a client area of this size: the rebar on top, the
// status bar at the bottom, the list between them.
void LayoutMainWindow(int width, int height);

} // namespace kv
