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

// Creates the main window (hidden) with the saved restored rectangle, in the
// coordinates the window's placement uses, and moves it onto the nearest
// monitor's work area when it would lie on none; null when it cannot.
HWND CreateMainWindowAtSavedPosition(HINSTANCE instance);

// Moves the window onto the work area of the nearest monitor, shrunk to fit,
// when its rectangle lies on no monitor at all.
void MoveOntoAMonitor(HWND window);

// The command of the first show: hidden for "/m" while there is a tray icon
// to bring the window back; otherwise the saved show state when it is one
// that shows the window (SW_SHOWNORMAL to SW_FORCEMINIMIZE), else
// SW_SHOWNORMAL.
int StartShowCommand(const std::string& commandLine, bool trayIconAdded, int savedShowCmd);

// The first show of the main window, by StartShowCommand with the saved
// show state.
void ShowMainWindowAtStart(HWND window, const std::string& commandLine);

// The program's message loop, with the accelerator keys of the main window;
// returns the exit code of the quit message.
int RunMessageLoop(HWND window);

// All of the above: the program from start to end.
int RunProgram(HINSTANCE instance);

} // namespace kv
