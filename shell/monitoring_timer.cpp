#include "shell/monitoring_timer.h"

#include "shell/app_state.h"
#include "resource.h"

#include <windows.h>

namespace kv {

void StartMonitoringTimer() {
    if (g_app.mainWindow == nullptr) {
        return;
    }
    const UINT period = static_cast<UINT>(g_app.settings.Freq) * 60000u;
    SetTimer(g_app.mainWindow, KV_MONITOR_TIMER, period, nullptr);
}

void StopMonitoringTimer() {
    if (g_app.mainWindow != nullptr) {
        KillTimer(g_app.mainWindow, KV_MONITOR_TIMER);
    }
}

void OnMonitoringTick() {
    HWND window = g_app.mainWindow;
    // While the user looks at the window, the list speaks for itself.
    if (window == nullptr || (IsWindowVisible(window) && !IsIconic(window))) {
        return;
    }
    g_app.TimerCheckPass = true;
    // The timed change check of the startup set runs here; it decides itself
    // whether monitoring is on, and re-arms this timer.
    g_app.TimerCheckPass = false;
}

} // namespace kv
