// The monitoring timer of the main window: every "Freq" minutes, while the
// window is hidden or minimised, a timed check of the startup set.
#pragma once

namespace kv {

// (Re)starts the timer with the period of the running "Freq" setting.
void StartMonitoringTimer();
void StopMonitoringTimer();

} // namespace kv
