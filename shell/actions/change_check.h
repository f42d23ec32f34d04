// The watch over the startup set: the change checks at start-up, on demand
// and from the monitoring timer, and the snapshot they compare with.
#pragma once

namespace kv {

// The quiet time after the last change the watch saw before its check runs,
// in milliseconds: an installer's burst of writes becomes one check.
constexpr unsigned kWatchQuietMilliseconds = 500;

enum class CheckMode {
    StartUp, // against report.ini, while the main window is being created
    Manual,  // "Проверить изменения"
    Timed,   // the monitoring timer, while the window is hidden or minimised
    Watch,   // the location watch saw a change, and the changes have been quiet since
};

// Rescans and asks, program by program, about every program that was added
// to the startup set or removed from it by another process since the previous
// set (report.ini at start-up, else the enabled rows before the rescan), and
// undoes each change on Yes. A check never starts while another one runs.
void CheckForChanges(CheckMode mode);

// The command "Проверить изменения": the monitoring timer is stopped for the
// whole check and started again after it.
void RunManualCheck();

// WM_TIMER of the main window for the monitoring timer: while the window is
// hidden or minimised, a timed check.
void OnMonitoringTick();

// The location watch of the main window: started once the start-up check is
// over (a change then posts KV_WATCH_MESSAGE to the window), stopped before
// the window goes. While it runs, the snapshot follows the checks and the
// program's own moves only.
void StartLocationWatch();
void StopLocationWatch();
// How many notifications the watch has seen since it started.
long WatchNotices();

// KV_WATCH_MESSAGE: a change was seen; the check waits until the changes
// have been quiet for a moment (the KV_WATCH_TIMER restarts on each).
void OnWatchNotice();
// KV_WATCH_TIMER: the check, once no question or dialog of the program is
// open; until then the timer stays.
void OnWatchQuiet();

// Writes report.ini from the enabled rows of the list.
void SaveChangeSnapshot();

} // namespace kv
