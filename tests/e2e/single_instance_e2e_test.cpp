#include "entries/catalogue.h"
#include "shell/app/start_up.h"

#include "support/files.h"
#include "support/process.h"
#include "support/registry_fixture.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace {

std::string Text(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// The real program, copied into a folder of its own with its settings.ini.
class SingleInstance : public kvtest::StartupRegistryTest {
  protected:
    void SetUp() override {
        StartupRegistryTest::SetUp();
        program = kvtest::CopyProgramInto(folder.path());
        ASSERT_TRUE(kvtest::FileExists(program));
    }
    void Setting(const char* section, const char* key, int value) {
        WritePrivateProfileStringA(section, key, std::to_string(value).c_str(),
                                   (folder / "settings.ini").c_str());
    }
    // Starts the program and waits until its start-up is over; returns its
    // main window.
    HWND StartFirst(kvtest::ChildProcess& child, const std::string& arguments) {
        EXPECT_TRUE(child.Start("\"" + program + "\"" + arguments, folder.path()));
        HWND window = child.FindWindowOfClass("Arrow", 20000);
        EXPECT_NE(nullptr, window);
        EXPECT_TRUE(child.WaitUntilIdle(20000));
        return window;
    }
    // A second start shows its refusal, ends with 0 once it is answered.
    void ExpectSecondStartRefused() {
        kvtest::ChildProcess second;
        ASSERT_TRUE(second.Start("\"" + program + "\"", folder.path()));
        // The message box, once it is shown with its text.
        HWND box = nullptr;
        for (int i = 0; i < 400; ++i) {
            box = second.FindWindowOfClass("#32770", 0);
            if (box != nullptr && IsWindowVisible(box) && GetDlgItem(box, 0xFFFF) != nullptr) {
                break;
            }
            Sleep(50);
        }
        ASSERT_NE(nullptr, box);
        ASSERT_TRUE(IsWindowVisible(box));
        EXPECT_EQ("Kelvorin", Text(box));
        EXPECT_EQ(kvtest::Ansi("Приложение уже выполняется!"), Text(GetDlgItem(box, 0xFFFF)));
        // Only an OK button.
        EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, IDOK)));
        for (int button : {IDCANCEL, IDYES, IDNO}) {
            HWND other = GetDlgItem(box, button);
            EXPECT_TRUE(other == nullptr || !IsWindowVisible(other)) << button;
        }
        EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER));
        // No main window of its own.
        EXPECT_EQ(nullptr, second.FindWindowOfClass("Arrow", 0));
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
        EXPECT_EQ(0, second.Wait(20000));
    }
    void EndFirst(kvtest::ChildProcess& child, HWND window) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(0, child.Wait(20000));
    }

    kvtest::TempFolder folder{"e2eone"};
    std::string program;
};

TEST_F(SingleInstance, SecondStartRefusedWhileTheFirstIsShown) {
    kvtest::ChildProcess first;
    HWND window = StartFirst(first, "");
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(window, first.ShownMainWindow(10000));
    ExpectSecondStartRefused();
    EXPECT_TRUE(IsWindowVisible(window));
    EndFirst(first, window);

    // Once the first has ended, the next start runs normally.
    kvtest::ChildProcess next;
    HWND again = StartFirst(next, "");
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(again, next.ShownMainWindow(10000));
    EndFirst(next, again);
}

TEST_F(SingleInstance, StartInTheTrayAndRefuseASecondStart) {
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Hidden start", "C:\\windows\\notepad.exe");
    kvtest::ChildProcess first;
    HWND window = StartFirst(first, " /m");
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window));
    // The list was read all the same.
    HWND list = FindWindowExA(window, nullptr, "SysListView32", nullptr);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(1, SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    ExpectSecondStartRefused();
    // The running copy is neither shown nor brought forward.
    EXPECT_FALSE(IsWindowVisible(window));
    EndFirst(first, window);
    // Its layout was saved at the end, although it was never shown.
    EXPECT_TRUE(kvtest::FileExists(folder / "settings.ini"));
}

// A copy running with other rights holds the mutex under a security
// descriptor that lets nobody else open it (an empty access list): the
// program cannot open it, and takes that for a running copy too.
TEST_F(SingleInstance, SecondStartRefusedWhenTheMutexMayNotBeOpened) {
    SECURITY_DESCRIPTOR descriptor{};
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ACL nobody{};
    ASSERT_TRUE(InitializeAcl(&nobody, sizeof(nobody), ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &nobody, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), &descriptor, FALSE};
    HANDLE held = CreateMutexA(&attributes, FALSE, kv::kInstanceMutexName);
    ASSERT_NE(nullptr, held);
    // It really is closed to this user, as it is to the program.
    HANDLE opened = CreateMutexA(nullptr, FALSE, kv::kInstanceMutexName);
    EXPECT_EQ(nullptr, opened);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
    if (opened != nullptr) {
        CloseHandle(opened);
    }
    ExpectSecondStartRefused();
    CloseHandle(held);
}

TEST_F(SingleInstance, StartInTheTrayWithoutTrayIconShowsTheWindow) {
    Setting("General", "ShowIcon", 0);
    kvtest::ChildProcess first;
    HWND window = StartFirst(first, " /m");
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(IsWindowVisible(window));
    EndFirst(first, window);
}

} // namespace
