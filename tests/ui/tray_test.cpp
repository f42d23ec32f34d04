#include "base/test_seams.h"
#include "shell/frame/app_state.h"
#include "shell/app/main_window.h"
#include "shell/app/start_up.h"
#include "shell/frame/tray.h"
#include "resource.h"

#include "support/main_window_fixture.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shellapi.h>

namespace {

// The main window's minimise and close requests, its tray icon and the first
// show at start-up, under the settings of settings.ini.
class TrayWindow : public kvtest::MainWindowTest {
  protected:
    void General(int showIcon, int minimizeToTray, int closeToTray) {
        WriteSetting("General", "ShowIcon", showIcon);
        WriteSetting("General", "MinimizeToTray", minimizeToTray);
        WriteSetting("General", "CloseToTray", closeToTray);
    }
    void Show() {
        ShowWindow(window(), SW_SHOWNORMAL);
        kvtest::PumpMessages();
    }
    void SysCommand(WPARAM command) {
        SendMessageA(window(), WM_SYSCOMMAND, command, 0);
        kvtest::PumpMessages();
    }
    void TrayDoubleClick() {
        SendMessageA(window(), KV_TRAY_MESSAGE, KV_TRAY_ID, WM_LBUTTONDBLCLK);
        kvtest::PumpMessages();
    }
    bool Visible() { return IsWindowVisible(window()) != FALSE; }
    bool Minimised() { return IsIconic(window()) != FALSE; }
};

TEST_F(TrayWindow, TheTrayIconRecord) {
    OpenMainWindow();
    const NOTIFYICONDATAA& icon = kv::g_app.trayIcon;
    // The first version of the record (88 bytes in a 32-bit program).
    EXPECT_EQ(static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE), icon.cbSize);
    EXPECT_EQ(window(), icon.hWnd);
    EXPECT_EQ(static_cast<UINT>(KV_TRAY_ID), icon.uID);
    EXPECT_EQ(static_cast<UINT>(KV_TRAY_MESSAGE), icon.uCallbackMessage);
    EXPECT_EQ(static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP), icon.uFlags);
    EXPECT_NE(nullptr, icon.hIcon);
    EXPECT_EQ(kvtest::Ansi("Kelvorin - менеджер автозагрузки"), std::string(icon.szTip));
    EXPECT_TRUE(kv::g_app.trayIconAdded);
}

TEST_F(TrayWindow, NoTrayIconWhenSwitchedOff) {
    General(0, 1, 0);
    OpenMainWindow();
    EXPECT_FALSE(kv::g_app.trayIconAdded);
}

TEST_F(TrayWindow, MinimiseHidesOnlyWithTrayIconAndMinimiseToTray) {
    struct Case {
        int showIcon, minimizeToTray;
        bool hidden;
    };
    for (const Case& c :
         {Case{1, 1, true}, Case{1, 0, false}, Case{0, 1, false}, Case{0, 0, false}}) {
        General(c.showIcon, c.minimizeToTray, 0);
        OpenMainWindow();
        Show();
        SysCommand(SC_MINIMIZE);
        EXPECT_TRUE(Minimised()) << c.showIcon << c.minimizeToTray;
        EXPECT_EQ(!c.hidden, Visible()) << c.showIcon << c.minimizeToTray;
        EXPECT_TRUE(IsWindow(window()));
        CloseMainWindow();
    }
}

TEST_F(TrayWindow, SettingsAreReadAfreshAtEachRequest) {
    General(1, 0, 0);
    OpenMainWindow();
    Show();
    // Changed in the file while the program runs.
    WriteSetting("General", "MinimizeToTray", 1);
    SysCommand(SC_MINIMIZE);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(1, kv::g_app.settings.MinimizeToTray);
}

TEST_F(TrayWindow, CloseHidesOnlyWithCloseToTray) {
    General(1, 1, 1);
    OpenMainWindow();
    Show();
    SysCommand(SC_CLOSE);
    EXPECT_TRUE(IsWindow(window()));
    EXPECT_FALSE(Visible());
    // The exit command ends the program however closing is set.
    SendCommand(IDM_EXIT);
    EXPECT_FALSE(IsWindow(window()));

    General(1, 1, 0);
    OpenMainWindow();
    Show();
    SysCommand(SC_CLOSE);
    EXPECT_FALSE(IsWindow(window()));
}

TEST_F(TrayWindow, CloseWithoutTrayIconEndsTheProgram) {
    // A file that asks to close into a tray that is switched off: hiding
    // would leave a window nobody can bring back.
    General(0, 0, 1);
    OpenMainWindow();
    Show();
    SysCommand(SC_CLOSE);
    EXPECT_FALSE(IsWindow(window()));
}

TEST_F(TrayWindow, DoubleClickOnTheIconHidesAndShows) {
    OpenMainWindow();
    Show();
    TrayDoubleClick();
    EXPECT_FALSE(Visible());
    TrayDoubleClick();
    EXPECT_TRUE(Visible());
    EXPECT_FALSE(Minimised());

    // Visible but minimised (tray minimising off): the icon hides it, and
    // brings it back in its normal state.
    General(1, 0, 0);
    SysCommand(SC_MINIMIZE);
    ASSERT_TRUE(Minimised());
    ASSERT_TRUE(Visible());
    TrayDoubleClick();
    EXPECT_FALSE(Visible());
    TrayDoubleClick();
    EXPECT_TRUE(Visible());
    EXPECT_FALSE(Minimised());

    // Other mouse messages on the icon do nothing.
    SendMessageA(window(), KV_TRAY_MESSAGE, KV_TRAY_ID, WM_LBUTTONDOWN);
    kvtest::PumpMessages();
    EXPECT_TRUE(Visible());
}

TEST_F(TrayWindow, ShowWindowCommandRestoresTheWindow) {
    OpenMainWindow();
    Show();
    SysCommand(SC_MINIMIZE);
    ASSERT_FALSE(Visible());
    SendCommand(IDM_SHOW_WINDOW);
    EXPECT_TRUE(Visible());
    EXPECT_FALSE(Minimised());
}

TEST_F(TrayWindow, FirstShowFollowsSwitchAndTrayIcon) {
    struct Case {
        const char* commandLine;
        int showIcon;
        bool visible;
    };
    for (const Case& c :
         {Case{"\"C:\\k\\Kelvorin.exe\"", 1, true}, Case{"\"C:\\k\\Kelvorin.exe\" /m", 1, false},
          Case{"\"C:\\k\\Kelvorin.exe\" /mini", 1, false},
          Case{"\"C:\\k\\Kelvorin.exe\" /M", 1, true},
          Case{"\"C:\\k\\Kelvorin.exe\" /m", 0, true}}) {
        General(c.showIcon, 1, 0);
        OpenMainWindow();
        ASSERT_FALSE(Visible()); // created hidden
        kv::ShowMainWindowAtStart(window(), c.commandLine);
        kvtest::PumpMessages();
        EXPECT_EQ(c.visible, Visible()) << c.commandLine << " " << c.showIcon;
        CloseMainWindow();
    }
}

TEST_F(TrayWindow, FirstShowUsesTheSavedShowStateOnlyWhenItShows) {
    WriteSetting("Common", "cmdShow", SW_SHOWMAXIMIZED);
    OpenMainWindow();
    kv::ShowMainWindowAtStart(window(), "Kelvorin.exe");
    kvtest::PumpMessages();
    EXPECT_TRUE(IsZoomed(window()));
    CloseMainWindow();

    // A saved state that would hide the window: without "/m" it is shown.
    WriteSetting("Common", "cmdShow", SW_HIDE);
    OpenMainWindow();
    kv::ShowMainWindowAtStart(window(), "Kelvorin.exe");
    kvtest::PumpMessages();
    EXPECT_TRUE(Visible());
    EXPECT_FALSE(Minimised());
}

// The shell refuses the tray icon while this object lives.
struct TrayIconRefused {
    TrayIconRefused() { kv::SetTrayIconRefusedForTests(true); }
    ~TrayIconRefused() { kv::SetTrayIconRefusedForTests(false); }
    TrayIconRefused(const TrayIconRefused&) = delete;
    TrayIconRefused& operator=(const TrayIconRefused&) = delete;
};

TEST_F(TrayWindow, NeverHiddenWhileTheShellRefusesTheIcon) {
    // Every setting asks for the tray, but the icon is not there.
    General(1, 1, 1);
    {
        TrayIconRefused refused;
        OpenMainWindow();
        ASSERT_FALSE(kv::g_app.trayIconAdded);
        kv::ShowMainWindowAtStart(window(), "\"C:\\k\\Kelvorin.exe\" /m");
        kvtest::PumpMessages();
        EXPECT_TRUE(Visible());
        SysCommand(SC_MINIMIZE);
        EXPECT_TRUE(Minimised());
        EXPECT_TRUE(Visible());
        SysCommand(SC_CLOSE);
        EXPECT_FALSE(IsWindow(window()));
    }

    // Hidden in the tray when a new task bar refuses to take the icon back:
    // the window comes out.
    OpenMainWindow();
    ASSERT_TRUE(kv::g_app.trayIconAdded);
    Show();
    SysCommand(SC_MINIMIZE);
    ASSERT_FALSE(Visible());
    TrayIconRefused refused;
    SendMessageA(window(), kv::g_app.taskbarCreatedMessage, 0, 0);
    kvtest::PumpMessages();
    EXPECT_FALSE(kv::g_app.trayIconAdded);
    EXPECT_TRUE(Visible());
}

TEST_F(TrayWindow, WindowAtTheSavedPosition) {
    WriteSetting("Common", "Left", 40);
    WriteSetting("Common", "Top", 30);
    WriteSetting("Common", "Right", 740);
    WriteSetting("Common", "Bottom", 530);
    HWND created = kv::CreateMainWindowAtSavedPosition(GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, created);
    RECT rect{};
    GetWindowRect(created, &rect);
    EXPECT_EQ(40, rect.left);
    EXPECT_EQ(30, rect.top);
    EXPECT_EQ(700, rect.right - rect.left);
    EXPECT_EQ(500, rect.bottom - rect.top);
    DestroyWindow(created);
    kvtest::PumpMessages();
}

TEST_F(TrayWindow, WithoutSettingsTheDefaultSize) {
    HWND created = kv::CreateMainWindowAtSavedPosition(GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, created);
    RECT rect{};
    GetWindowRect(created, &rect);
    EXPECT_EQ(0, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_GT(rect.right - rect.left, 100);
    EXPECT_GT(rect.bottom - rect.top, 100);
    DestroyWindow(created);
    kvtest::PumpMessages();
}

TEST_F(TrayWindow, TimerRunsWithTheMonitoringPeriod) {
    WriteSetting("Monitoring", "Freq", 75);
    OpenMainWindow();
    EXPECT_EQ(60, kv::g_app.settings.Freq);
    // The timer exists: killing it succeeds once, and not again.
    EXPECT_TRUE(KillTimer(window(), KV_MONITOR_TIMER));
    EXPECT_FALSE(KillTimer(window(), KV_MONITOR_TIMER));
}

TEST_F(TrayWindow, DestructionFreesTheImageListsAndTheNextWindowMakesNew) {
    OpenMainWindow();
    ASSERT_NE(nullptr, kv::g_app.sortMarkers.get());
    ASSERT_NE(nullptr, kv::g_app.groupImages.get());
    DestroyWindow(window());
    kvtest::PumpMessages();
    EXPECT_EQ(nullptr, kv::g_app.sortMarkers.get());
    EXPECT_EQ(nullptr, kv::g_app.groupImages.get());

    OpenMainWindow();
    ASSERT_NE(nullptr, kv::g_app.sortMarkers.get());
    EXPECT_EQ(2, ImageList_GetImageCount(kv::g_app.sortMarkers.get()));
    EXPECT_EQ(5, ImageList_GetImageCount(kv::g_app.groupImages.get()));
    HWND header = reinterpret_cast<HWND>(SendMessageA(kv::g_app.entryList, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(kv::g_app.sortMarkers.get(),
              reinterpret_cast<HIMAGELIST>(SendMessageA(header, HDM_GETIMAGELIST, 0, 0)));
}

TEST_F(TrayWindow, DestructionSavesTheLayoutEvenWhenHidden) {
    OpenMainWindow();
    SetWindowPos(window(), nullptr, 15, 25, 600, 400, SWP_NOZORDER);
    SysCommand(SC_MINIMIZE); // into the tray
    ASSERT_FALSE(Visible());
    CloseMainWindow();
    const std::string settings = programFolder() + "\\settings.ini";
    EXPECT_EQ(15, static_cast<int>(GetPrivateProfileIntA("Common", "Left", -1, settings.c_str())));
    EXPECT_EQ(425,
              static_cast<int>(GetPrivateProfileIntA("Common", "Bottom", -1, settings.c_str())));
    EXPECT_FALSE(kv::g_app.trayIconAdded);
}

} // namespace
