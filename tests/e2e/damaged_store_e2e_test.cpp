// The real program started on a damaged disable.ini: it comes up at once and
// lists the records the file really holds.
#include "entries/catalogue.h"
#include "records/user_data_folder.h"

#include "support/files.h"
#include "support/process.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

namespace {

class DamagedStore : public kvtest::StartupRegistryTest {
  protected:
    kvtest::TempFolder folder{"e2edamaged"};
};

TEST_F(DamagedStore, AHugeTotalCostsOnlyWhatTheFileHolds) {
    const std::string program = kvtest::CopyProgramInto(folder.path());
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    const std::string userFolder =
        folder / "List Settings" + "\\" +
        kv::UserFolderName(kv::CurrentUserName(), version.dwMajorVersion, version.dwMinorVersion);
    kvtest::MakeFolder(folder / "List Settings");
    kvtest::MakeFolder(userFolder);
    const std::string run = "HKCU\\" + std::string(kv::kRunKey);
    kvtest::MakeFile(userFolder + "\\disable.ini",
                     "[common]\r\ntotal=2000000000\r\n"
                     "[object 1]\r\ntitle=First\r\ncommand=first.exe\r\nlocation=" +
                         run +
                         "\r\n"
                         "[object 3]\r\ntitle=Third\r\ncommand=third.exe\r\nlocation=" +
                         run + "\r\n");

    kvtest::ChildProcess child;
    ASSERT_TRUE(child.Start("\"" + program + "\"", folder.path()));
    const HWND window = child.ShownMainWindow(20000);
    ASSERT_NE(nullptr, window);
    const HWND list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    ASSERT_NE(nullptr, list);
    DWORD_PTR rows = 0;
    ASSERT_TRUE(SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &rows));
    EXPECT_EQ(2u, rows);

    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, child.Wait(20000));
}

} // namespace
