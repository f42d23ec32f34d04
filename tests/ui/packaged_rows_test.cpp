// Packaged apps' startup tasks in the real main window's list: a task's own
// switch shows in its box beside entries that Windows' switch turns off, and
// packages whose manifests cannot be read are named once in the status bar.
#include "entries/catalogue.h"
#include "shell/list/entry_rows.h"
#include "shell/list/scan_driver.h"

#include "support/main_window_fixture.h"
#include "support/package_fixture.h"
#include "support/text.h"

#include <gtest/gtest.h>

namespace {

class PackagedRows : public kvtest::MainWindowTest {
  protected:
    kvtest::PackageInstaller packages_;
};

TEST_F(PackagedRows, TaskBoxesAndOneStatusForUnreadablePackages) {
    // A Run entry that Windows' switch turns off: the list then marks the
    // switched-off entries of every row, and must keep the tasks' own.
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Runner", "C:\\windows\\notepad.exe");
    kvtest::SetValue(HKEY_CURRENT_USER, std::string(kvtest::kStartupApprovedKey) + "\\Run",
                     "Runner", std::string("\x03\0\0\0\0\0\0\0\0\0\0\0", 12), REG_BINARY, false);
    packages_.Install(L"Vendor.App_1.0.0.0_x64__pub1",
                      kvtest::ManifestText("Vendor.App", {kvtest::Task("Off", "true", "Task Off"),
                                                          kvtest::Task("On", "false", "Task On")}));
    kvtest::SetTaskState("Vendor.App_pub1", "Off", 1);
    kvtest::SetTaskState("Vendor.App_pub1", "On", 2);
    packages_.Install(L"Broken.One_1.0.0.0_x64__pubA", "<Package>");
    packages_.Install(L"Broken.Two_1.0.0.0_x64__pubB", L"Broken.Two", nullptr);

    OpenMainWindow();
    // The first start's own status text (no report.ini yet) goes first.
    kv::ScanDriver();
    ASSERT_GE(RowWithTitle("Task Off"), 0);
    ASSERT_GE(RowWithTitle("Task On"), 0);
    EXPECT_FALSE(kv::RowBoxSet(RowWithTitle("Runner")));
    EXPECT_FALSE(kv::RowBoxSet(RowWithTitle("Task Off")));
    EXPECT_TRUE(kv::RowBoxSet(RowWithTitle("Task On")));
    const std::string status = StatusText(0);
    const std::string prefix = kvtest::Ansi("Не удалось прочитать описание пакета ");
    EXPECT_TRUE(status == prefix + "Broken.One_1.0.0.0_x64__pubA" + kvtest::Ansi(" и ещё 1") ||
                status == prefix + "Broken.Two_1.0.0.0_x64__pubB" + kvtest::Ansi(" и ещё 1"))
        << kvtest::Utf8(status);

    // Once the manifests can be read, the next refresh says nothing of them.
    packages_.Install(L"Broken.One_1.0.0.0_x64__pubA", kvtest::ManifestText("Broken.One", {}));
    packages_.Install(L"Broken.Two_1.0.0.0_x64__pubB", kvtest::ManifestText("Broken.Two", {}));
    kv::ScanDriver();
    EXPECT_EQ(std::string::npos, StatusText(0).find(prefix)) << kvtest::Utf8(StatusText(0));
}

} // namespace
