#include "shell/frame/monitoring_timer.h"

#include "base/test_seams.h"
#include "shell/frame/app_state.h"
#include "resource.h"

#include <windows.h>

namespace kv {

namespace {
unsigned g_periodForTests = 0;
} // namespace

void SetMonitoringPeriodForTests(unsigned milliseconds) {
    g_periodForTests = milliseconds;
}

void StartMonitoringTimer() {
    if (g_app.mainWindow == nullptr) {
        return;
    }
    const UINT period = g_periodForTests != 0 ? static_cast<UINT>(g_periodForTests)
                                              : static_cast<UINT>(g_app.settings.Freq) * 60000u;
    SetTimer(g_app.mainWindow, KV_MONITOR_TIMER, period, nullptr);
}

void StopMonitoringTimer() {
    if (g_app.mainWindow != nullptr) {
        KillTimer(g_app.mainWindow, KV_MONITOR_TIMER);
    }
}

} // namespace kv
