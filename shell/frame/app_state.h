// The program-wide objects: one module, one main window with its entry list
// and status bar, and the flags of the user-interface thread. Every part of
// the shell reaches them here.
#pragma once

#include "base/handles.h"
#include "records/settings_store.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <deque>
#include <string>
#include <vector>

namespace kv {

// Raises a flag of the user-interface thread for the owner's lifetime and
// puts back what it held, so that raising nests.
class FlagScope {
  public:
    explicit FlagScope(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = was_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

  private:
    bool& flag_;
    bool was_;
};

struct AppState {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND entryList = nullptr; // the report list: its rows are the entries
    HWND statusBar = nullptr; // part 0: progress and messages; part 1: counts
    HWND rebar = nullptr;     // one band: the tool bar
    HWND toolBar = nullptr;

    // Named mutex that keeps a second copy of the program from starting; held
    // until the main window is destroyed.
    UniqueHandle instanceMutex;

    // The notification-area icon: its record is filled at creation, and
    // trayIconAdded tells whether the shell holds it now.
    NOTIFYICONDATAA trayIcon{};
    bool trayIconAdded = false;
    // The message the shell broadcasts when the task bar is made anew (the
    // tray icon must then be added again).
    UINT taskbarCreatedMessage = 0;

    // False when kernel32 lacks the process-snapshot functions: programs then
    // show no running status and cannot be stopped.
    bool ProcessListAvailable = true;
    // Set while the program itself rewrites rows (scan, sort, delete, restore,
    // edit): row changes are then not taken as the user's.
    bool ListBusy = false;
    // Set while a change check rebuilds and reads the list.
    bool CheckBusy = false;
    // Set while the location watch runs: the snapshot then follows the change
    // checks and the program's own moves only, so that a refresh between a
    // change and its check cannot take the change in unasked.
    bool WatchRunning = false;
    // Set during the refresh with which a change check reads the set.
    bool CheckScanning = false;

    // Started to start the delayed entries ("/startup"): the window begins
    // their starts as it is created, counting their delays from `startTick`
    // (GetTickCount64 at the program's start).
    bool startsDelayedEntries = false;
    unsigned long long startTick = 0;

    // A result message left by a writer, remover or the options, shown by the
    // next refresh.
    std::string PendingStatusText;

    // Files dropped on the entry list, in drop order, that the message loop
    // has not offered yet.
    std::deque<std::string> droppedFiles;

    // The list file last written in this run: the target of "Сохранить список".
    std::string LastListPath;

    // The column of the last sort request, and per column whether its next
    // sort is ascending.
    int sortColumn = 0;
    bool sortAscending[4] = {true, true, true, true};

    UniqueImageList sortMarkers; // 0: descending marker, 1: ascending marker
    // Images of the location groups (registry, all, Startup folder, win.ini,
    // folder) for the group list of the program dialog.
    UniqueImageList groupImages;

    RunningSettings settings = DefaultRunningSettings();
};

extern AppState g_app;

} // namespace kv
