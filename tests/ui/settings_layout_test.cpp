#include "records/settings_store.h"
#include "shell/app_state.h"
#include "shell/main_window.h"

#include "support/files.h"
#include "support/main_window_fixture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

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

    kvtest::TempFolder folder{"layout"};
};

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
