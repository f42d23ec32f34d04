#include "entries/catalogue.h"

#include "support/files.h"
#include "support/process.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

class ProgramStart : public kvtest::StartupRegistryTest {
  protected:
    kvtest::TempFolder folder{"e2e"};
};

TEST_F(ProgramStart, ShowsTheRegistryEntriesInItsWindow) {
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "One", "C:\\windows\\notepad.exe");
    kvtest::SetValue(HKEY_LOCAL_MACHINE, kv::kRunKey, "Two", "two.exe");
    kvtest::SetValue(HKEY_LOCAL_MACHINE, std::string(kv::kRunOnceExKey) + "\\S", "", "caption");
    const std::string program = kvtest::CopyProgramInto(folder.path());
    ASSERT_TRUE(kvtest::FileExists(program));

    kvtest::ChildProcess child;
    ASSERT_TRUE(child.Start("\"" + program + "\"", folder.path()));
    // The window is shown once its creation (with the first scan) is over.
    const HWND window = child.ShownMainWindow(20000);
    ASSERT_NE(nullptr, window);
    char title[32] = {};
    GetWindowTextA(window, title, sizeof(title));
    EXPECT_STREQ("Kelvorin", title);

    const HWND list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(3, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, child.Wait(20000));
}

} // namespace
