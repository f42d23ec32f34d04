#include "shell/options.h"

#include "base/strings.h"
#include "dialogs/options_sheet.h"
#include "entries/location_dispatch.h"
#include "entries/location_writers.h"
#include "entries/registry.h"
#include "records/settings_store.h"
#include "shell/app_state.h"
#include "shell/outcome_report.h"
#include "shell/scan_driver.h"
#include "shell/tray.h"
#include "resource.h"

#include <windows.h>

namespace kv {

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunLocation[] = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The program's own startup value, and the switch that starts it hidden.
const char kOwnValueName[] = "Kelvorin";
const char kMinimisedSwitch[] = "/m";

// Only a REG_SZ value of exactly the own name (letter case included) is the
// program's own; any other spelling or type belongs to someone else.
OwnAutostart ReadOwnAutostart() {
    OwnAutostart own;
    RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, kRunKey, KEY_QUERY_VALUE)) {
        return own;
    }
    ForEachValue(key.get(), [&own](const RegValue& value) {
        if (value.type == REG_SZ && value.name == kOwnValueName) {
            own.present = true;
            own.minimised = DataAsText(value.data).find(kMinimisedSwitch) != std::string::npos;
        }
        return true;
    });
    return own;
}

// Writes or deletes the own startup value. It names the program file itself
// by its full path, so that it still starts the program when the logon runs
// it from another current folder. Only the program's own value is deleted,
// and only when it is there: a value of that name of another type or letter
// case belongs to someone else.
void StoreOwnAutostart(const OwnAutostart& own) {
    if (own.present) {
        ReportOutcomeLater(AddRegistryValue("HKCU", kRunKey, kOwnValueName, ProgramFilePath(),
                                            own.minimised ? kMinimisedSwitch : ""));
    } else if (ReadOwnAutostart().present) {
        ReportOutcomeLater(RemoveEntry(kOwnValueName, "", kRunLocation));
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
