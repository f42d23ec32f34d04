// The watch over the startup set: the change checks at start-up, on demand
// and from the monitoring timer, and the snapshot they compare with.
#pragma once

namespace kv {

enum class CheckMode {
    StartUp, // against report.ini, while the main window is being created
    Manual,  // "Проверить изменения"
    Timed,   // the monitoring timer, while the window is hidden or minimised
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

// Writes report.ini from the enabled rows of the list.
void SaveChangeSnapshot();

} // namespace kv
