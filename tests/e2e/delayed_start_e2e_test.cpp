// The real program started as its own autostart value starts it at logon
// ("/m /startup") starts the delayed entries after their delays; a start
// without the switch starts nothing.
#include "base/test_seams.h"
#include "entries/catalogue.h"
#include "moves/entry_moves.h"
#include "moves/own_autostart.h"
#include "records/disabled_store.h"

#include "support/files.h"
#include "support/process.h"
#include "support/registry_fixture.h"
#include "support/start_records.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

const kv::Consent kNo = [](const std::string&) { return false; };

class DelayedStartProgram : public kvtest::StartupRegistryTest {
  protected:
    void SetUp() override {
        kvtest::StartupRegistryTest::SetUp();
        // The test's moves use the store of the copy it starts.
        kv::SetExecutableDirectoryForTests(folder.path());
    }
    void TearDown() override {
        kv::SetExecutableDirectoryForTests(std::string());
        kvtest::StartupRegistryTest::TearDown();
    }

    // Runs the copy with these arguments for the time, then closes it.
    void RunFor(const std::string& arguments, DWORD milliseconds) {
        kvtest::ChildProcess child;
        ASSERT_TRUE(child.Start(Quoted(program) + " " + arguments, folder.path()));
        const HWND window = child.FindWindowOfClass("Arrow", 20000);
        ASSERT_NE(nullptr, window);
        Sleep(milliseconds);
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0, child.Wait(20000));
    }

    kvtest::TempFolder folder{"e2edelay"};
    const std::string program = kvtest::CopyProgramInto(folder.path());
    const std::string log = folder / "starts.log";
};

TEST_F(DelayedStartProgram, StartsRunValueAndShortcutAfterTheirDelaysOnlyWithTheSwitch) {
    const std::string startup = kvtest::CurrentUserStartupFolder();
    ASSERT_FALSE(startup.empty());
    const std::string recorder = folder / "rec.exe";
    ASSERT_TRUE(CopyFileA(kvtest::StartRecorderPath().c_str(), recorder.c_str(), FALSE));
    kvtest::MakeFolder(folder / "work");
    SetEnvironmentVariableA("KV_E2E_FOLDER", folder.path().c_str());

    // An expandable Run value and a shortcut with arguments and a folder.
    const std::string cloud = "\"%KV_E2E_FOLDER%\\rec.exe\" " + Quoted(log) + " cloud";
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Cloud", cloud, REG_EXPAND_SZ);
    kvtest::LinkProperties link;
    link.target = recorder;
    link.arguments = Quoted(log) + " chat";
    link.workingFolder = folder / "work";
    kvtest::MakeShellLink(startup + "\\Chat.lnk", link);
    kv::OwnStartValue own;
    own.present = own.minimised = own.delayedStarts = true;
    ASSERT_TRUE(kv::StoreOwnStartValue(own, program, kNo).done());

    kv::StartupEntry value;
    value.title = "Cloud";
    value.command = cloud;
    value.location = kv::RegistryLocationString("HKCU", kv::kRunKey);
    value.checked = true;
    kv::StartupEntry file;
    file.title = "Chat.lnk";
    file.command = recorder + " " + link.arguments;
    file.location = startup;
    file.checked = true;
    ASSERT_TRUE(kv::Delay(value, 3, 0, kNo).done());
    ASSERT_TRUE(kv::Delay(file, 1, 1, kNo).done());
    // Started by hand, with or without "/m": nothing starts.
    RunFor("/m", 5000);
    RunFor("", 5000);
    EXPECT_TRUE(kvtest::ReadStartRecords(log).empty());

    // Started as at logon: by delay, after it, two seconds apart.
    const ULONGLONG origin = kvtest::NowMs();
    {
        kvtest::ChildProcess child;
        ASSERT_TRUE(child.Start(Quoted(program) + " /m /startup", folder.path()));
        const auto records = kvtest::WaitForStartRecords(log, 2, 30000);
        ASSERT_EQ(2U, records.size());
        EXPECT_NE(std::string::npos, records[0].commandLine.find(" chat"));
        EXPECT_EQ(0, lstrcmpiA((folder / "work").c_str(), records[0].folder.c_str()));
        EXPECT_EQ(Quoted(recorder) + " " + Quoted(log) + " cloud", records[1].commandLine);
        EXPECT_GE(records[0].startedMs, origin + 1000);
        EXPECT_GE(records[1].startedMs, origin + 3000);
        EXPECT_GE(records[1].startedMs, records[0].startedMs + 2000);
        // Each starts once, and the window stays hidden.
        Sleep(3000);
        EXPECT_EQ(2U, kvtest::ReadStartRecords(log).size());
        const HWND window = child.FindWindowOfClass("Arrow", 1000);
        ASSERT_NE(nullptr, window);
        EXPECT_FALSE(IsWindowVisible(window));
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0, child.Wait(20000));
    }

    // They stay delayed.
    const std::vector<kv::StartupEntry> stored = kv::ReadDisabledEntries();
    ASSERT_EQ(2U, stored.size());
    EXPECT_EQ(3, stored[0].delaySeconds);
    EXPECT_EQ(1, stored[1].delaySeconds);
}

} // namespace
