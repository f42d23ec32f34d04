// Start-up of the program: one copy only, the main window where it was left,
// shown or kept in the tray, and the message loop.
#pragma once

#include <windows.h>

#include <string>

namespace kv {

extern const char* const kInstanceMutexName;

// Creates the single-instance mutex and keeps it in g_app. False when another
// copy holds it: the user has then been told, and the program ends.
bool ClaimSingleInstance();

// The width (or height) of the saved rectangle from its two edges; the
// platform's default size when the far edge is the default marker or the
// difference does not fit.
int SavedExtent(int nearEdge, int farEdge);

// True when the command line asks to start in the tray: "/m" anywhere in it.
bool StartsHidden(const std::string& commandLine);

// Creates the main window at the saved position; null when it cannot.
HWND CreateMainWindowAtSavedPosition(HINSTANCE instance);

// The first show of the main window: hidden for "/m", else the saved show
// state; but always shown when there is no tray icon to bring it back.
void ShowMainWindowAtStart(HWND window, const std::string& commandLine);

// The program's message loop, with the accelerator keys of the main window;
// returns the exit code of the quit message.
int RunMessageLoop(HWND window);

// All of the above: the program from start to end.
int RunProgram(HINSTANCE instance);

} // namespace kv
