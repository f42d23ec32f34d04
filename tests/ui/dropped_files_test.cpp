// Files dropped on the entry list while a box or dialog of the program has
// its own message loop.
#include "shell/frame/app_state.h"
#include "shell/app/start_up.h"
#include "resource.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/program_dialog_driver.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

class DroppedFiles : public kvtest::MainWindowTest {};

TEST_F(DroppedFiles, ADropWhileAMessageBoxIsOpenIsOfferedWhenItHasClosed) {
    OpenMainWindow();
    HGLOBAL drop = kvtest::MakeFileDrop({"C:\\windows\\notepad.exe", "C:\\windows\\regedit.exe"});
    bool releasedAtOnce = false;
    std::size_t waitingInTheBox = 0;
    kvtest::DialogStep cancel;
    cancel.button = IDCANCEL;
    {
        kvtest::MessageBoxAnswerer answerer;
        kvtest::ProgramDialogDriver driver({{cancel}, {cancel}}, GetCurrentThreadId());
        // The drop comes while the box's own loop runs; the box is then
        // answered, and the program's loop runs again.
        answerer.ExpectAndDo(
            "Kelvorin", "Вы действительно хотите напечатать сейчас список автозагрузки?", IDNO,
            [&] {
                SendMessageA(list(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
                releasedAtOnce = GlobalSize(drop) == 0;
                waitingInTheBox = kv::g_app.droppedFiles.size();
            });
        PostMessageA(window(), WM_COMMAND, MAKEWPARAM(IDM_PRINT, 0), 0);
        kv::RunMessageLoop(window()); // until the driver is done
        answerer.WaitAll();
        const std::vector<kvtest::ProgramDialogFields>& opened = driver.Opened();
        ASSERT_EQ(2u, opened.size());
        EXPECT_EQ("C:\\windows\\notepad.exe", opened[0].path);
        EXPECT_EQ("C:\\windows\\regedit.exe", opened[1].path);
    }
    EXPECT_TRUE(releasedAtOnce);
    EXPECT_EQ(2u, waitingInTheBox); // not offered inside the box's loop
    EXPECT_TRUE(kv::g_app.droppedFiles.empty());
}

} // namespace
