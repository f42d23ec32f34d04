#include "support/files.h"
#include "support/process.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

// The real program, copied into a folder of its own with its settings.ini,
// at the end of the user's session.
class SessionEnd : public kvtest::StartupRegistryTest {
  protected:
    int Stored(const char* key) {
        return static_cast<int>(
            GetPrivateProfileIntA("Common", key, -12345, (folder / "settings.ini").c_str()));
    }
    // Sends as the system does, waiting at most a few seconds for the answer.
    static bool Send(HWND window, UINT message, WPARAM wParam, DWORD_PTR& answer) {
        return SendMessageTimeoutA(window, message, wParam, ENDSESSION_LOGOFF, SMTO_NORMAL, 10000,
                                   &answer) != 0;
    }

    kvtest::TempFolder folder{"e2eend"};
};

TEST_F(SessionEnd, LoggingOffSavesTheWindowLayoutBeforeTheProcessIsEnded) {
    const std::string program = kvtest::CopyProgramInto(folder.path());
    ASSERT_TRUE(kvtest::FileExists(program));
    kvtest::ChildProcess child;
    ASSERT_TRUE(child.Start("\"" + program + "\"", folder.path()));
    const HWND window = child.ShownMainWindow(20000);
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(SetWindowPos(window, nullptr, 60, 50, 640, 480, SWP_NOZORDER | SWP_NOACTIVATE));
    RECT rect{};
    GetWindowRect(window, &rect);
    ASSERT_EQ(60, rect.left);
    ASSERT_EQ(50, rect.top);

    // Another program refuses the end: the session goes on, and so does this one.
    DWORD_PTR answer = 0;
    ASSERT_TRUE(Send(window, WM_QUERYENDSESSION, 0, answer));
    EXPECT_EQ(TRUE, static_cast<BOOL>(answer));
    ASSERT_TRUE(Send(window, WM_ENDSESSION, FALSE, answer));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(-1, child.Wait(0));

    // The session ends: once the message is answered the system may end the
    // process at any moment.
    ASSERT_TRUE(Send(window, WM_QUERYENDSESSION, 0, answer));
    EXPECT_EQ(TRUE, static_cast<BOOL>(answer));
    ASSERT_TRUE(Send(window, WM_ENDSESSION, TRUE, answer));
    child.Terminate();
    EXPECT_EQ(60, Stored("Left"));
    EXPECT_EQ(50, Stored("Top"));
    EXPECT_EQ(700, Stored("Right"));
    EXPECT_EQ(530, Stored("Bottom"));
    EXPECT_EQ(SW_SHOWNORMAL, Stored("cmdShow"));
}

} // namespace
