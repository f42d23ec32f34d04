// The notification-area icon of the main window and its menu.
#pragma once

#include <windows.h>

#include <string>

namespace kv {

// Fills the icon record: owner, id, call-back message, icon and tip.
void FillTrayIconRecord(HWND window);
// Adds the icon to the notification area; also after the task bar was made
// anew, when the shell has forgotten it. trayIconAdded then tells whether the
// shell holds the icon: it may refuse it.
void AddTrayIcon();
// Removes the icon (nothing happens when none was added).
void RemoveTrayIcon();

// Shows the text in a balloon at the icon, when the shell holds it; true when
// the shell took the balloon.
bool ShowTrayBalloon(const std::string& text);

// The call-back message of the icon, with the mouse message on it.
void HandleTrayCallback(UINT mouseMessage);

// The icon's menu: show window (default), check changes, options, about,
// exit, with separators between the groups.
HMENU BuildTrayMenu();

} // namespace kv
