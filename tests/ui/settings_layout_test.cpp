#include "base/test_seams.h"
#include "entries/catalogue.h"
#include "records/settings_store.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/app/main_window.h"
#include "shell/app/window_layout.h"
#include "shell/app/start_up.h"
#include "resource.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace {

// The main window with a program folder of its own for settings.ini.
class WindowLayout : public kvtest::MainWindowTest {
  protected:
    void SetUp() override {
        kv::SetExecutableDirectoryForTests(folder.path());
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        kv::SetExecutableDirectoryForTests(std::string());
    }
    // A key as stored in the file, read without the store's own table.
    int Stored(const char* section, const char* key) {
        return static_cast<int>(
            GetPrivateProfileIntA(section, key, -12345, (folder / "settings.ini").c_str()));
    }

    // The main window as the program creates it at start-up, shown as it
    // shows it; destroyed (saving its layout) by the caller.
    HWND OpenAtSavedPosition() {
        HWND created = kv::CreateMainWindowAtSavedPosition(GetModuleHandleA(nullptr));
        EXPECT_NE(nullptr, created);
        if (created != nullptr) {
            kv::ShowMainWindowAtStart(created, "Kelvorin.exe");
            kvtest::PumpMessages();
        }
        return created;
    }
    static void Destroy(HWND created) {
        ShowWindow(created, SW_HIDE);
        DestroyWindow(created);
        kvtest::PumpMessages();
    }
    void SaveRectangle(int left, int top, int right, int bottom) {
        WriteSetting("Common", "Left", left);
        WriteSetting("Common", "Top", top);
        WriteSetting("Common", "Right", right);
        WriteSetting("Common", "Bottom", bottom);
    }

    kvtest::TempFolder folder{"layout"};
};

RECT Placed(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(window, &placement);
    return placement.rcNormalPosition;
}

// The width of the text in the status bar's own font.
int TextWidth(HWND bar, const std::string& text) {
    HDC dc = GetDC(bar);
    HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(bar, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, previous);
    ReleaseDC(bar, dc);
    return size.cx;
}

TEST_F(WindowLayout, AMaximisedWindowSavesItsRestoredRectangle) {
    OpenMainWindow();
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    placement.showCmd = SW_SHOWMAXIMIZED;
    placement.rcNormalPosition = RECT{30, 40, 830, 640};
    ASSERT_TRUE(SetWindowPlacement(window(), &placement));
    kvtest::PumpMessages();
    ASSERT_TRUE(IsZoomed(window()));

    kv::SaveWindowLayout(kv::CurrentWindowLayout());
    EXPECT_EQ(30, Stored("Common", "Left"));
    EXPECT_EQ(40, Stored("Common", "Top"));
    EXPECT_EQ(830, Stored("Common", "Right"));
    EXPECT_EQ(640, Stored("Common", "Bottom"));
    EXPECT_EQ(SW_SHOWMAXIMIZED, Stored("Common", "cmdShow"));
    EXPECT_EQ(3, kv::ReadLayoutSetting(kv::kLayoutCmdShow));
    EXPECT_EQ(830, kv::ReadLayoutSetting(kv::kLayoutRight));
    ShowWindow(window(), SW_HIDE);
    CloseMainWindow();

    // The next start: maximised again, and restoring goes back to the saved
    // rectangle.
    HWND again = OpenAtSavedPosition();
    ASSERT_NE(nullptr, again);
    EXPECT_TRUE(IsZoomed(again));
    const RECT placed = Placed(again);
    EXPECT_EQ(30, placed.left);
    EXPECT_EQ(40, placed.top);
    EXPECT_EQ(830, placed.right);
    EXPECT_EQ(640, placed.bottom);
    ShowWindow(again, SW_RESTORE);
    kvtest::PumpMessages();
    RECT rect{};
    GetWindowRect(again, &rect);
    EXPECT_EQ(30, rect.left);
    EXPECT_EQ(40, rect.top);
    EXPECT_EQ(800, rect.right - rect.left);
    EXPECT_EQ(600, rect.bottom - rect.top);
    Destroy(again);
}

TEST_F(WindowLayout, ASavedPositionOnNoMonitorOpensOnTheNearestOne) {
    // On a monitor, with its top left corner, where the caption is, inside
    // the monitor's work area.
    auto expectReachable = [](HWND created, const char* what) {
        RECT rect{};
        GetWindowRect(created, &rect);
        EXPECT_NE(nullptr, MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) << what;
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info);
        EXPECT_GE(rect.left, info.rcWork.left) << what;
        EXPECT_GE(rect.top, info.rcWork.top) << what;
        EXPECT_LT(rect.left, info.rcWork.right) << what;
        EXPECT_LT(rect.top, info.rcWork.bottom) << what;
        return rect;
    };
    struct Case {
        int left, top, right, bottom;
        const char* what;
    };
    for (const Case& c : {
             Case{-30000, 100, -30000 + 9000, 100 + 7000, "larger than any screen"},
             Case{20000, 15000, 20600, 15400, "beyond the right and bottom"},
             Case{20000, 15000, CW_USEDEFAULT, CW_USEDEFAULT, "default size, far corner"},
         }) {
        SaveRectangle(c.left, c.top, c.right, c.bottom);
        HWND created = OpenAtSavedPosition();
        ASSERT_NE(nullptr, created);
        const RECT rect = expectReachable(created, c.what);
        if (c.right == 20600) {
            // Moved whole, not shrunk.
            EXPECT_EQ(600, rect.right - rect.left);
            EXPECT_EQ(400, rect.bottom - rect.top);
        }
        Destroy(created);
    }

    // Partly on a monitor: left where it was.
    SaveRectangle(-100, 20, 500, 420);
    HWND created = OpenAtSavedPosition();
    ASSERT_NE(nullptr, created);
    RECT rect{};
    GetWindowRect(created, &rect);
    EXPECT_EQ(-100, rect.left);
    EXPECT_EQ(20, rect.top);
    EXPECT_EQ(500, rect.right);
    EXPECT_EQ(420, rect.bottom);
    Destroy(created);

    // Off every monitor and larger than the work area: moved onto it and
    // shrunk to fit it whole.
    OpenMainWindow();
    SetWindowPos(window(), nullptr, -30000, 100, 9000, 7000, SWP_NOZORDER | SWP_NOACTIVATE);
    kv::MoveOntoAMonitor(window());
    rect = expectReachable(window(), "moved");
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    GetMonitorInfoA(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &info);
    EXPECT_LE(rect.right, info.rcWork.right);
    EXPECT_LE(rect.bottom, info.rcWork.bottom);
}

TEST_F(WindowLayout, TheCountPartOfTheStatusBarFitsItsText) {
    // The right part shows its text whole: at least the text's width beside
    // the size grip that covers its right end, and never under 270.
    auto partWidth = [this]() {
        HWND bar = kv::g_app.statusBar;
        RECT part{};
        SendMessageA(bar, SB_GETRECT, 1, reinterpret_cast<LPARAM>(&part));
        RECT client{};
        GetClientRect(bar, &client);
        const std::string text = StatusText(1);
        EXPECT_EQ(client.right, part.right);
        EXPECT_GE(part.right - part.left, TextWidth(bar, text) + GetSystemMetrics(SM_CXVSCROLL))
            << text;
        EXPECT_GE(part.right - part.left, kv::kStatusRightPartWidth);
        return static_cast<int>(part.right - part.left);
    };
    OpenMainWindow();
    ASSERT_FALSE(StatusText(1).empty());
    partWidth();
    // A new size lays the window out again.
    SetWindowPos(window(), nullptr, 0, 0, 700, 450, SWP_NOMOVE | SWP_NOZORDER);
    kvtest::PumpMessages();
    const int before = partWidth();

    // Longer counts after a refresh and a selection: the part grows.
    for (int i = 0; i < 100; ++i) {
        kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Program " + std::to_string(i),
                         "C:\\nowhere\\p" + std::to_string(i) + ".exe");
    }
    SendCommand(IDM_REFRESH);
    kv::SelectAllRows();
    kvtest::PumpMessages();
    ASSERT_EQ(100, kv::SelectedCount());
    EXPECT_GT(partWidth(), before);
}

TEST_F(WindowLayout, DraggedColumnOrderAndWidthsAreSaved) {
    OpenMainWindow();
    // "Статус" dragged to the leftmost place.
    int order[4] = {2, 0, 1, 3};
    ASSERT_TRUE(SendMessageA(list(), LVM_SETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order)));
    ASSERT_TRUE(SendMessageA(list(), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(321, 0)));

    kv::SaveWindowLayout(kv::CurrentWindowLayout());
    EXPECT_EQ(2, Stored("ListView", "One"));
    EXPECT_EQ(0, Stored("ListView", "Two"));
    EXPECT_EQ(1, Stored("ListView", "Three"));
    EXPECT_EQ(3, Stored("ListView", "Four"));
    EXPECT_EQ(321, Stored("ListView", "WidthTwo"));
    EXPECT_EQ(SendMessageA(list(), LVM_GETCOLUMNWIDTH, 3, 0), Stored("ListView", "WidthFour"));
    for (int position = 0; position < 4; ++position) {
        EXPECT_EQ(order[position], kv::ReadLayoutSetting(kv::kLayoutOrderFirst + position));
    }
}

} // namespace
