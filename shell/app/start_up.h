// Start-up of the program: one copy only, the main window where it was left,
// shown or kept in the tray, and the message loop.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kv {

extern const char* const kInstanceMutexName;

// Creates the single-instance mutex and keeps it in g_app. False when another
// copy holds it, also when that copy's mutex may not be opened (access
// denied): the user has then been told, and the program ends.
bool ClaimSingleInstance();

// The width (or height) of the saved rectangle from its two edges; the
// platform's default size when the far edge is the default marker or the
// difference does not fit.
int SavedExtent(int nearEdge, int farEdge);

// True when the command line asks to start in the tray: "/m" anywhere in it.
bool StartsHidden(const std::string& commandLine);

// True when the command line asks for the starts of the delayed entries:
// "/startup", in any letter case, as an argument of its own anywhere after
// the program's path. Such a start is otherwise one with "/m".
bool StartsDelayedEntries(const std::string& commandLine);

// The arguments of a command line by the platform's rules, the program's
// path first. The path runs to the first blank or tab outside double quotes
// (the quotes are dropped). Each further argument runs to the next blank or
// tab outside double quotes; a double quote opens or closes a quoted part,
// "" inside one is a quote, and 2n backslashes before a quote give n
// backslashes (2n+1 give n and the quote itself); other backslashes are
// kept as they are.
std::vector<std::string> CommandLineArguments(const std::string& commandLine);

// What the command line asks for. Only the first argument after the
// program's path is a switch, in any letter case:
//   /report FILE   the report written to FILE, without a window; exactly one
//                  argument must follow, and it must not be empty
//   /?             the syntax shown
// Anything else (no argument, "/m", or any other) starts the program with
// its window. "/report" without a file, or with more than one argument after
// it, is a wrong command line.
enum class StartKind { Window, Report, Usage, WrongUsage };
struct StartRequest {
    StartKind kind = StartKind::Window;
    std::string file; // Report: the file to write
};
StartRequest ReadStartRequest(const std::string& commandLine);

// Shows the syntax of the command line: on the standard output the program
// was given (a pipe or file), else on the console of the process that
// started it. Without either, `boxAllowed` shows it in a message box; else
// it is not shown (a script that made a mistake never waits for a box).
void ShowUsage(bool boxAllowed);

// Creates the main window (hidden) with the saved restored rectangle, in the
// coordinates the window's placement uses, and moves it onto the nearest
// monitor's work area when it would lie on none; null when it cannot.
HWND CreateMainWindowAtSavedPosition(HINSTANCE instance);

// Moves the window onto the work area of the nearest monitor, shrunk to fit,
// when its rectangle lies on no monitor at all.
void MoveOntoAMonitor(HWND window);

// The command of the first show: hidden for "/m" or "/startup" while there
// is a tray icon to bring the window back; otherwise the saved show state
// when it is one that shows the window (SW_SHOWNORMAL to SW_FORCEMINIMIZE),
// else SW_SHOWNORMAL.
int StartShowCommand(const std::string& commandLine, bool trayIconAdded, int savedShowCmd);

// The first show of the main window, by StartShowCommand with the saved
// show state.
void ShowMainWindowAtStart(HWND window, const std::string& commandLine);

// The program's message loop, with the accelerator keys of the main window;
// returns the exit code of the quit message. Files dropped on the entry list
// meanwhile are offered here, once whatever box or dialog was open when they
// came has closed.
int RunMessageLoop(HWND window);

// All of the above: the program from start to end.
int RunProgram(HINSTANCE instance);

} // namespace kv
