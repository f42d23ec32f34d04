// Delaying entries on the real main window: the command and its dialog, the
// program's own start with Windows, the delayed rows, their box, and delay 0
// putting them back exactly.
#include "dialogs/delay_dialog.h"
#include "entries/catalogue.h"
#include "moves/entry_moves.h"
#include "moves/own_autostart.h"
#include "records/disabled_store.h"
#include "records/settings_store.h"
#include "shell/list/entry_list.h"
#include "shell/list/scan_driver.h"
#include "resource.h"

#include "support/file_dialog.h"
#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/own_dialogs.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <thread>

using kvtest::Ansi;

namespace {

const char* const kOwnQuestion =
    "Для отложенного запуска Kelvorin должен запускаться вместе с Windows. Включить?";

// Answers the delay dialog from a second thread: records what its edit shows,
// types each text in turn and presses OK after each (a text that is no delay
// brings a box, which the test's answerer closes); then Cancel when
// `cancelAtEnd`, else the dialog has closed by itself.
class DelayDialogAnswerer {
  public:
    DelayDialogAnswerer(std::vector<std::string> typed, bool cancelAtEnd = false)
        : thread_([this, typed, cancelAtEnd] { Run(typed, cancelAtEnd); }) {}
    ~DelayDialogAnswerer() {
        Join();
        EXPECT_TRUE(opened_) << "the delay dialog did not open";
    }
    DelayDialogAnswerer(const DelayDialogAnswerer&) = delete;
    DelayDialogAnswerer& operator=(const DelayDialogAnswerer&) = delete;
    // What the edit showed when the dialog opened, once it has closed.
    std::string Shown() {
        Join();
        return shown_;
    }

  private:
    void Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    void Run(const std::vector<std::string>& typed, bool cancelAtEnd) {
        const std::string caption = Ansi("Отложенный запуск");
        HWND dialog = nullptr;
        for (int i = 0; i < 200 && dialog == nullptr; ++i) {
            dialog = kvtest::FindOwnDialog([&caption](HWND window) {
                char text[64] = {};
                GetWindowTextA(window, text, sizeof(text));
                return caption == text;
            });
            Sleep(50);
        }
        if (dialog == nullptr) {
            return;
        }
        opened_ = true;
        char shown[32] = {};
        GetDlgItemTextA(dialog, IDC_DELAY_SECONDS, shown, sizeof(shown));
        shown_ = shown;
        for (const std::string& text : typed) {
            SetDlgItemTextA(dialog, IDC_DELAY_SECONDS, text.c_str());
            SendMessageA(dialog, WM_COMMAND, IDOK, 0);
        }
        if (cancelAtEnd) {
            SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }

    bool opened_ = false;
    std::string shown_;
    std::thread thread_;
};

class DelayCommand : public kvtest::MainWindowTest {
  protected:
    void Select(const std::vector<std::string>& titles) {
        LVITEMA none{};
        none.stateMask = LVIS_SELECTED;
        SendMessageA(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&none));
        for (const std::string& title : titles) {
            LVITEMA item{};
            item.stateMask = LVIS_SELECTED;
            item.state = LVIS_SELECTED;
            SendMessageA(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(RowWithTitle(title)),
                         reinterpret_cast<LPARAM>(&item));
        }
        kvtest::PumpMessages();
    }
    bool DelayGreyed() {
        return (GetMenuState(GetMenu(window()), IDM_DELAY, MF_BYCOMMAND) & MF_GRAYED) != 0;
    }
    static int StoredDelay(const std::string& title) {
        for (const kv::StartupEntry& entry : kv::ReadDisabledEntries()) {
            if (entry.title == title) {
                return entry.delaySeconds;
            }
        }
        return -1;
    }
    int Row(const std::string& title) const { return RowWithTitle(title); }
};

TEST(DelayDialogInput, OnlyWholeSecondsWithinTheHour) {
    const struct {
        const char* text;
        bool taken;
        int seconds;
    } cases[] = {
        {"60", true, 60},
        {" 0 ", true, 0},
        {"3600", true, 3600},
        {"007", true, 7},
        {"3601", false, 0},
        {"", false, 0},
        {"  ", false, 0},
        {"-1", false, 0},
        {"1e3", false, 0},
        {"6 0", false, 0},
        {"99999999999999999999999", false, 0},
    };
    for (const auto& test : cases) {
        int seconds = -5;
        EXPECT_EQ(test.taken, kv::DelayOfInput(test.text, seconds)) << test.text;
        EXPECT_EQ(test.taken ? test.seconds : -5, seconds) << test.text;
    }
}

TEST_F(DelayCommand, DelayedRowsLeaveTheirPlacesStayCheckedAndComeBackExactly) {
    // A value whose type and bytes must survive, and a shortcut with its own
    // arguments and working folder.
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Cloud", "%SystemRoot%\\cloud.exe /quiet",
                     REG_EXPAND_SZ);
    kvtest::LinkProperties link;
    link.target = "C:\\chat\\chat.exe";
    link.arguments = "--tray";
    link.workingFolder = "C:\\chat";
    kvtest::MakeShellLink(kvtest::CurrentUserStartupFolder() + "\\Chat.lnk", link);
    const auto before = kvtest::StartupSetBytes();
    OpenMainWindow();

    Select({"Cloud", "Chat.lnk"});
    ASSERT_FALSE(DelayGreyed());
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", kOwnQuestion, IDYES);
        DelayDialogAnswerer dialog({"5"});
        SendCommand(IDM_DELAY);
        EXPECT_EQ("60", dialog.Shown()); // the default
        answerer.WaitAll();
    }
    // Out of their places, in the store with their delay, the program's own
    // start with Windows on with the switch that starts them.
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Cloud"));
    EXPECT_FALSE(kvtest::FileExists(kvtest::CurrentUserStartupFolder() + "\\Chat.lnk"));
    EXPECT_EQ(5, StoredDelay("Cloud"));
    EXPECT_EQ(5, StoredDelay("Chat.lnk"));
    const std::string program = kv::ProgramFilePath();
    EXPECT_EQ((program.find(' ') != std::string::npos ? "\"" + program + "\"" : program) +
                  " /m /startup",
              kvtest::ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Kelvorin"));
    for (const char* title : {"Cloud", "Chat.lnk"}) {
        const int row = Row(title);
        EXPECT_TRUE(kv::RowBoxSet(row)) << title;
        EXPECT_FALSE(kv::RowChecked(row)) << title;
        EXPECT_EQ(Ansi("Отложено на 5 с"), kv::RowText(row, kv::kColumnStatus)) << title;
    }
    EXPECT_EQ(0, kv::DisabledRowCount()); // they count as enabled

    // A refresh reads the same rows back from the store; delayed again, the
    // dialog shows the delay and nothing is asked.
    kv::ScanDriver();
    Select({"Cloud"});
    {
        kvtest::MessageBoxAnswerer none;
        DelayDialogAnswerer dialog({"30"});
        SendCommand(IDM_DELAY);
        EXPECT_EQ("5", dialog.Shown());
    }
    EXPECT_EQ(30, StoredDelay("Cloud"));
    EXPECT_EQ(Ansi("Отложено на 30 с"), kv::RowText(Row("Cloud"), kv::kColumnStatus));

    // Its box cleared: a plain disabled entry, still out of its place.
    SetBox("Chat.lnk", false);
    EXPECT_EQ(0, StoredDelay("Chat.lnk"));
    EXPECT_EQ(0, kv::RowDelay(Row("Chat.lnk")));
    EXPECT_FALSE(kv::RowBoxSet(Row("Chat.lnk")));
    EXPECT_EQ(1, kv::DisabledRowCount());

    // Delay 0 puts the delayed one back; the box puts the other back: byte
    // for byte.
    Select({"Cloud"});
    {
        kvtest::MessageBoxAnswerer none;
        DelayDialogAnswerer dialog({"0"});
        SendCommand(IDM_DELAY);
    }
    SetBox("Chat.lnk", true);
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
    EXPECT_TRUE(kv::RowChecked(Row("Cloud")));
    auto after = kvtest::StartupSetBytes();
    after.erase("HKCU\\" + std::string(kv::kRunKey) + "|Kelvorin");
    EXPECT_EQ(before, after);
}

TEST_F(DelayCommand, OtherKindsAreRefusedAndNoOrCancelChangeNothing) {
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunOnceKey, "Once", "once.exe");
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Heavy", "heavy.exe");
    const auto before = kvtest::StartupSetBytes();
    OpenMainWindow();

    // Greyed for a RunOnce row alone or beside a Run row, and refused with
    // the kinds that may be delayed.
    Select({"Once", "Heavy"});
    EXPECT_TRUE(DelayGreyed());
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin",
                        "Отложить запуск можно только для программ из разделов Run (HKLM, HKCU, "
                        "Run 32-разрядных программ) и из папок автозагрузки",
                        IDOK);
        SendCommand(IDM_DELAY);
        answerer.WaitAll();
    }
    // A text that is no delay is said and the dialog stays; Cancel; then No
    // to the program's own start with Windows.
    Select({"Heavy"});
    EXPECT_FALSE(DelayGreyed());
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Введите число секунд от 0 до 3600.", IDOK);
        DelayDialogAnswerer dialog({"5000"}, true);
        SendCommand(IDM_DELAY);
        answerer.WaitAll();
    }
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", kOwnQuestion, IDNO);
        DelayDialogAnswerer dialog({"10"});
        SendCommand(IDM_DELAY);
        answerer.WaitAll();
    }
    EXPECT_EQ(before, kvtest::StartupSetBytes());
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
    EXPECT_FALSE(kv::ReadOwnStartValue().present);
    EXPECT_TRUE(kv::RowChecked(Row("Heavy")));
}

// A saved list carries the delay, and a restore delays the entry again.
TEST_F(DelayCommand, ASavedListCarriesTheDelayAndARestoreDelaysAgain) {
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Game", "C:\\game\\launcher.exe");
    OpenMainWindow();
    kv::StartupEntry shown = kv::RowTexts(Row("Game"));
    shown.checked = true;
    ASSERT_TRUE(kv::Delay(shown, 20, 0, [](const std::string&) { return false; }).done());
    SendCommand(IDM_REFRESH);
    kvtest::TempFolder lists{"lists"};
    const std::string file = lists / "delayed.ini";
    {
        kvtest::FileDialogAnswerer dialog("Сохранить список как ...", file);
        SendCommand(IDM_SAVE_LIST_AS);
        dialog.WaitAnswered();
    }
    char delay[16] = {};
    GetPrivateProfileStringA("object 1", "delay", "", delay, sizeof(delay), file.c_str());
    EXPECT_STREQ("20", delay);

    // Back in its place, then the list restored.
    Select({"Game"});
    {
        kvtest::MessageBoxAnswerer none;
        DelayDialogAnswerer dialog({"0"});
        SendCommand(IDM_DELAY);
    }
    ASSERT_TRUE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Game"));
    RestoreListFrom(file);
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Game"));
    EXPECT_EQ(20, StoredDelay("Game"));
    EXPECT_EQ(20, kv::RowDelay(Row("Game")));
}

// "Включить всё" leaves a delayed entry delayed (it counts as enabled);
// "Отключить всё" makes it a plain disabled one.
TEST_F(DelayCommand, EnableAllKeepsTheDelayDisableAllEndsIt) {
    for (const char* title : {"A delayed", "B disabled", "C enabled"}) {
        kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, title, std::string(title) + ".exe");
    }
    OpenMainWindow();
    kv::StartupEntry shown = kv::RowTexts(Row("A delayed"));
    shown.checked = true;
    ASSERT_TRUE(kv::Delay(shown, 15, 0, [](const std::string&) { return false; }).done());
    SendCommand(IDM_REFRESH);
    SetBox("B disabled", false);
    {
        kvtest::MessageBoxAnswerer none;
        SendCommand(IDM_ENABLE_ALL);
    }
    EXPECT_TRUE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "B disabled"));
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "A delayed"));
    EXPECT_EQ(15, StoredDelay("A delayed"));
    EXPECT_EQ(15, kv::RowDelay(Row("A delayed")));
    {
        kvtest::MessageBoxAnswerer none;
        SendCommand(IDM_DISABLE_ALL);
    }
    EXPECT_TRUE(kvtest::ValueNames(HKEY_CURRENT_USER, kv::kRunKey).empty());
    EXPECT_EQ(3u, kv::ReadDisabledEntries().size());
    EXPECT_EQ(0, StoredDelay("A delayed"));
    EXPECT_EQ(3, kv::DisabledRowCount());
}

} // namespace
