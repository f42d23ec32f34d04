#include "shell/actions/options.h"

#include "base/strings.h"
#include "dialogs/options_sheet.h"
#include "entries/delayed_starts.h"
#include "moves/own_autostart.h"
#include "records/disabled_store.h"
#include "records/settings_store.h"
#include "shell/frame/app_state.h"
#include "shell/frame/message_boxes.h"
#include "shell/frame/outcome_report.h"
#include "shell/list/scan_driver.h"
#include "shell/frame/tray.h"
#include "resource.h"

#include <windows.h>

namespace kv {

namespace {

// What the general page shows of the own value, and what it asks for.
OwnAutostart ReadOwnAutostart() {
    const OwnStartValue own = ReadOwnStartValue();
    OwnAutostart shown;
    shown.present = own.present;
    shown.minimised = own.minimised;
    return shown;
}

void StoreOwnAutostart(const OwnAutostart& own) {
    OwnStartValue wanted;
    wanted.present = own.present;
    wanted.minimised = own.minimised;
    // While any entry is delayed, the logon start must start it.
    wanted.delayedStarts = AnyDelayed(ReadDisabledEntries());
    const MoveOutcome outcome = StoreOwnStartValue(
        wanted, ProgramFilePath(),
        [](const std::string& question) { return Ask(question, g_app.mainWindow); });
    ReportOutcomeLater(outcome.location);
    if (!outcome.done() && !outcome.text.empty()) {
        g_app.PendingStatusText = outcome.text;
    }
}

// The tray icon follows ShowIcon at once. A main window without an icon must
// not stay hidden: nothing could bring it back.
void FollowTraySetting() {
    if (g_app.settings.ShowIcon != 0) {
        AddTrayIcon();
    } else {
        RemoveTrayIcon();
    }
    if (!g_app.trayIconAdded && g_app.mainWindow != nullptr) {
        ShowWindow(g_app.mainWindow, SW_SHOW);
    }
}

void CarryOut(const OptionsApplied& applied) {
    if (applied.general) {
        StoreOwnAutostart(applied.autostart);
    }
    LoadSettingsSection(applied.section, g_app.settings);
    if (applied.general) {
        FollowTraySetting();
        // In place of what the writer or remover said.
        g_app.PendingStatusText = LoadText(IDS_SETTINGS_SAVED);
    }
}

} // namespace

void OptionsSheet() {
    OptionsRequest request;
    request.instance = g_app.instance;
    request.owner = g_app.mainWindow;
    request.autostart = ReadOwnAutostart();
    request.applied = CarryOut;
    if (RunOptionsSheet(request)) {
        ScanDriver();
    }
}

} // namespace kv
