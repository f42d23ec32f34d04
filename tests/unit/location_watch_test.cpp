// The location watch on the real registry and file system of the prefix:
// changes made by other processes are seen, a key or folder that does not
// exist yet is seen when it is made, and nothing fires while nothing changes.
#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/location_watch.h"
#include "entries/startup_switch.h"

#include "support/files.h"
#include "support/outside_writes.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>

namespace {

const std::string kHkcuRun = "HKCU\\" + std::string(kv::kRunKey);
const std::string kHkcuRunOnce = "HKCU\\" + std::string(kv::kRunOnceKey);

class LocationWatch : public kvtest::StartupRegistryTest {
  protected:
    void SetUp() override {
        kvtest::StartupRegistryTest::SetUp();
        noticed_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    }
    std::function<void()> Notice() {
        return [this] {
            ++notices_;
            SetEvent(noticed_.get());
        };
    }
    // True when a notice came within the time; the notices that follow it at
    // once (one change may fire more than one) are taken with it.
    bool Noticed(DWORD milliseconds = 5000) {
        const bool came = WaitForSingleObject(noticed_.get(), milliseconds) == WAIT_OBJECT_0;
        Sleep(200);
        ResetEvent(noticed_.get());
        return came;
    }
    kv::UniqueHandle noticed_;
    std::atomic<long> notices_{0};
};

TEST_F(LocationWatch, SeesOtherProcessesChangesAndIsQuietOtherwise) {
    kvtest::DeleteKeyTree(HKEY_CURRENT_USER, kv::kRunOnceKey);
    kv::LocationWatch watch(Notice());
    ASSERT_TRUE(watch.running());
    ASSERT_TRUE(watch.WaitArmed(5000));
    EXPECT_EQ(0, watch.Unwatched());
    const int onParent = watch.OnParent();
    EXPECT_GE(onParent, 1); // HKCU RunOnce, through its parent

    // Nothing changes: nothing fires (reading is no change).
    kvtest::ValueNames(HKEY_CURRENT_USER, kv::kRunKey);
    EXPECT_FALSE(Noticed(1000));
    EXPECT_EQ(0, notices_.load());

    // A value written by another process.
    ASSERT_TRUE(kvtest::RunReg("add \"" + kHkcuRun + "\" /v Outside /d outside.exe /f"));
    EXPECT_TRUE(Noticed());
    // A key that did not exist is made, and then watched itself.
    ASSERT_TRUE(kvtest::RunReg("add \"" + kHkcuRunOnce + "\" /v First /d first.exe /f"));
    EXPECT_TRUE(Noticed());
    EXPECT_EQ(onParent - 1, watch.OnParent());
    ASSERT_TRUE(kvtest::RunReg("add \"" + kHkcuRunOnce + "\" /v Second /d second.exe /f"));
    EXPECT_TRUE(Noticed());
    // Deleted and made again: both seen, and values in the new key too.
    ASSERT_TRUE(kvtest::RunReg("delete \"" + kHkcuRunOnce + "\" /f"));
    EXPECT_TRUE(Noticed());
    ASSERT_TRUE(kvtest::RunReg("add \"" + kHkcuRunOnce + "\" /f"));
    EXPECT_TRUE(Noticed());
    ASSERT_TRUE(kvtest::RunReg("add \"" + kHkcuRunOnce + "\" /v Third /d third.exe /f"));
    EXPECT_TRUE(Noticed());
    // Windows' switch and win.ini's mapping.
    ASSERT_TRUE(kvtest::RunReg("add \"HKCU\\" + std::string(kv::kStartupApprovedKey) +
                               "\\Run\" /v Outside /t REG_BINARY /d 030000000000000000000000 /f"));
    EXPECT_TRUE(Noticed());
    ASSERT_TRUE(kvtest::RunReg("add \"HKCU\\" + std::string(kvtest::kWinIniWindowsKey) +
                               "\" /v load /d load.exe /f"));
    EXPECT_TRUE(Noticed());
    // A file dropped into each Startup folder.
    kvtest::MakeFile(kvtest::CurrentUserStartupFolder() + "\\dropped.bat", "@echo off\r\n");
    EXPECT_TRUE(Noticed());
    kvtest::MakeFile(kvtest::AllUsersStartupFolder() + "\\dropped.bat", "@echo off\r\n");
    EXPECT_TRUE(Noticed());

    // Quiet again after all that.
    const long seen = notices_.load();
    EXPECT_FALSE(Noticed(1000));
    EXPECT_EQ(seen, notices_.load());
    EXPECT_EQ(seen, watch.Notices());
}

TEST_F(LocationWatch, AStartupFolderMadeLaterIsSeen) {
    const std::string folder = kvtest::CurrentUserStartupFolder();
    ASSERT_FALSE(folder.empty());
    kvtest::RemovePath(folder);
    ASSERT_FALSE(kvtest::FileExists(folder));
    {
        kv::LocationWatch watch(Notice());
        ASSERT_TRUE(watch.WaitArmed(5000));
        const int onParent = watch.OnParent();
        kvtest::MakeFolder(folder);
        EXPECT_TRUE(Noticed());
        EXPECT_EQ(onParent - 1, watch.OnParent());
        kvtest::MakeFile(folder + "\\later.bat", "@echo off\r\n");
        EXPECT_TRUE(Noticed());
    }
    kvtest::MakeFolder(folder);
}

} // namespace
