#include "shell/frame/tray.h"

#include "base/handles.h"
#include "base/strings.h"
#include "base/test_seams.h"
#include "base/text.h"
#include "shell/frame/app_state.h"
#include "resource.h"

#include <shellapi.h>

namespace kv {

void FillTrayIconRecord(HWND window) {
    NOTIFYICONDATAA& icon = g_app.trayIcon;
    icon = NOTIFYICONDATAA{};
    // The first version of the record: every shell takes it, and it holds all
    // this icon needs.
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = KV_TRAY_ID;
    icon.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    icon.uCallbackMessage = KV_TRAY_MESSAGE;
    icon.hIcon = LoadIconA(g_app.instance, MAKEINTRESOURCEA(IDI_SMALL));
    const std::string tip = LoadText(IDS_TRAY_TIP);
    // The version-1 tip holds 63 characters and the terminating zero.
    CopyIntoField(icon.szTip, 64, tip);
}

namespace {
bool g_trayIconRefused = false;
} // namespace

void SetTrayIconRefusedForTests(bool refused) {
    g_trayIconRefused = refused;
}

void AddTrayIcon() {
    if (g_trayIconRefused) {
        g_app.trayIconAdded = false;
        return;
    }
    // An add refused because the shell still holds the icon leaves it there:
    // changing it then succeeds.
    g_app.trayIconAdded = Shell_NotifyIconA(NIM_ADD, &g_app.trayIcon) != FALSE ||
                          Shell_NotifyIconA(NIM_MODIFY, &g_app.trayIcon) != FALSE;
}

void RemoveTrayIcon() {
    if (g_app.trayIcon.hWnd != nullptr) {
        Shell_NotifyIconA(NIM_DELETE, &g_app.trayIcon);
    }
    g_app.trayIconAdded = false;
}

bool ShowTrayBalloon(const std::string& text) {
    if (!g_app.trayIconAdded) {
        return false;
    }
    // A balloon needs the later record; the icon itself stays as it was.
    NOTIFYICONDATAA balloon{};
    balloon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    balloon.hWnd = g_app.trayIcon.hWnd;
    balloon.uID = g_app.trayIcon.uID;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_INFO;
    CopyIntoField(balloon.szInfo, sizeof(balloon.szInfo), text);
    CopyIntoField(balloon.szInfoTitle, sizeof(balloon.szInfoTitle), "Kelvorin");
    return Shell_NotifyIconA(NIM_MODIFY, &balloon) != FALSE;
}

HMENU BuildTrayMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_SHOW_WINDOW, LoadText(IDS_TRAY_SHOW).c_str());
    AppendMenuA(menu, MF_STRING, IDM_CHECK_CHANGES, LoadText(IDS_CTX_CHECK_CHANGES).c_str());
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_OPTIONS, LoadText(IDS_TRAY_OPTIONS).c_str());
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_ABOUT, LoadText(IDS_TRAY_ABOUT).c_str());
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_EXIT, LoadText(IDS_TRAY_EXIT).c_str());
    SetMenuDefaultItem(menu, IDM_SHOW_WINDOW, FALSE);
    return menu;
}

namespace {

void ShowTrayMenu() {
    HWND window = g_app.mainWindow;
    POINT cursor{};
    GetCursorPos(&cursor);
    const UniqueMenu menu(BuildTrayMenu());
    // Without being the foreground window the menu would not close when the
    // user clicks elsewhere; the empty message afterwards lets the shell see
    // the menu is gone.
    SetForegroundWindow(window);
    TrackPopupMenu(menu.get(), TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
    PostMessageA(window, WM_NULL, 0, 0);
}

} // namespace

void HandleTrayCallback(UINT mouseMessage) {
    HWND window = g_app.mainWindow;
    if (window == nullptr) {
        return;
    }
    switch (mouseMessage) {
    case WM_LBUTTONDBLCLK:
        // Visible, minimised or not: back to the tray. Hidden: shown again.
        if (IsWindowVisible(window)) {
            ShowWindow(window, SW_HIDE);
        } else {
            SetForegroundWindow(window);
            ShowWindow(window, SW_SHOWNORMAL);
            PostMessageA(window, WM_NULL, 0, 0);
        }
        break;
    case WM_RBUTTONDOWN:
        ShowTrayMenu();
        break;
    default:
        break;
    }
}

} // namespace kv
