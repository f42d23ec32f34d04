// The options sheet "Настройки программы ...": the general, confirmation and
// monitoring settings, and Kelvorin's own autostart. Each page stores its
// keys in settings.ini when it is applied and tells the caller what it
// applied.
#pragma once

#include <windows.h>

#include <functional>

namespace kv {

// The program's own startup value: there or not, and with the switch that
// starts it hidden in the tray.
struct OwnAutostart {
    bool present = false;
    bool minimised = false;
};

// One page applied: the section of settings.ini it stored, and for the
// general page the own autostart as the user left it.
struct OptionsApplied {
    const char* section = "";
    bool general = false;
    OwnAutostart autostart;
};

struct OptionsRequest {
    HINSTANCE instance = nullptr;
    HWND owner = nullptr;
    OwnAutostart autostart; // what the general page shows at first
    // Called for each page the user applies, after its keys are stored.
    std::function<void(const OptionsApplied&)> applied;
};

// Opens the sheet modally; true when anything was applied. While a sheet is
// open, a second request brings it to the front and returns false.
bool RunOptionsSheet(const OptionsRequest& request);

} // namespace kv
