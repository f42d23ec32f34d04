// The guard on the real main window: changes made by other processes are
// asked about as they happen, a disabled program that puts itself back is
// turned off again, a changed command is one question, and the program's own
// changes ask nothing.
#include "entries/catalogue.h"
#include "entries/startup_switch.h"
#include "moves/entry_moves.h"
#include "records/disabled_store.h"
#include "records/settings_store.h"
#include "records/user_data_folder.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/list/scan_driver.h"
#include "resource.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/outside_writes.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

using kvtest::Ansi;
using kvtest::SetValue;

namespace {

const std::string kHkcuRun = "HKCU\\" + std::string(kv::kRunKey);
const std::string kSwitchKey = std::string(kv::kStartupApprovedKey) + "\\Run";
const char* const kNewCaption = "Kelvorin: новая программа";

std::string NewProgram(const std::string& title, const std::string& command,
                       const std::string& location) {
    return "Следующая программа была добавлена в автозагрузку:\n\nЗаголовок: " + title +
           "\nКоманда: " + command + "\nРасположение: " + location +
           "\n\nВы хотите удалить её?";
}

std::string ChangedCommand(const std::string& title, const std::string& before,
                           const std::string& now, const std::string& location) {
    return "Команда программы " + title + " изменилась\n\nПрежняя команда: " + before +
           "\nНовая команда: " + now + "\nРасположение: " + location +
           "\n\nВернуть прежнюю команду?";
}

std::string CameBack(const std::string& title) {
    return Ansi("Программа " + title + " снова добавила себя в автозагрузку и была отключена");
}

class Guard : public kvtest::MainWindowTest {
  protected:
    // Long enough for the quiet time after a change and the check after it.
    static void Settle(DWORD milliseconds = 2500) { kvtest::PumpMessages(milliseconds); }
    static std::string GuardLog() {
        return kvtest::ReadFileText(kv::UserDataFolderPath() + "\\guard.log");
    }
    static std::vector<std::string> StoredCommands(const std::string& title) {
        std::vector<std::string> commands;
        for (const kv::StartupEntry& entry : kv::ReadDisabledEntries()) {
            if (entry.title == title) {
                commands.push_back(entry.command);
            }
        }
        return commands;
    }
    void Select(const std::string& title) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageA(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(RowWithTitle(title)),
                     reinterpret_cast<LPARAM>(&item));
    }
};

TEST_F(Guard, ChangesFromOutsideAreAskedAboutAsTheyHappen) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Stays", "stays.exe");
    OpenMainWindow();
    Select("Stays");
    {
        // Another process writes a value: asked without any command.
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect(kNewCaption, NewProgram("Outside", "outside.exe /q", kHkcuRun), IDYES);
        ASSERT_TRUE(kvtest::RunReg("add \"" + kHkcuRun + "\" /v Outside /d \"outside.exe /q\" /f"));
        answerer.WaitAll(15000);
        // Yes deleted it; that write of the program's own asks nothing more.
        Settle();
    }
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Outside"));
    EXPECT_EQ(-1, RowWithTitle("Outside"));
    EXPECT_TRUE(kv::RowSelected(RowWithTitle("Stays")));

    // A file dropped into the Startup folder.
    const std::string dropped = kvtest::CurrentUserStartupFolder() + "\\dropped.bat";
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect(kNewCaption, "", IDNO);
        kvtest::MakeFile(dropped, "@echo off\r\n");
        answerer.WaitAll(15000);
        ASSERT_EQ(1u, answerer.Seen().size());
        EXPECT_NE(std::string::npos, answerer.Seen()[0].text.find("dropped.bat"));
        Settle();
    }
    EXPECT_GE(RowWithTitle("dropped.bat"), 0);
    EXPECT_TRUE(kvtest::FileExists(dropped));
    EXPECT_TRUE(kv::RowSelected(RowWithTitle("Stays")));
}

TEST_F(Guard, ADisabledProgramThatPutsItselfBackIsTurnedOffAgain) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Comeback", "C:\\old\\comeback.exe");
    OpenMainWindow();
    {
        kvtest::MessageBoxAnswerer none;
        SetBox("Comeback", false);
        Settle();
        // An update writes it back with another command: taken out again,
        // unasked, and both forms kept.
        ASSERT_TRUE(kvtest::RunReg("add \"" + kHkcuRun +
                                   "\" /v Comeback /d C:\\new\\comeback.exe /f"));
        Settle();
    }
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Comeback"));
    EXPECT_EQ((std::vector<std::string>{"C:\\old\\comeback.exe", "C:\\new\\comeback.exe"}),
              StoredCommands("Comeback"));
    EXPECT_EQ(CameBack("Comeback"), StatusText(0));
    const std::string log = GuardLog();
    EXPECT_NE(std::string::npos, log.find("\tComeback\t" + kHkcuRun + "\tC:\\new\\comeback.exe\r\n"))
        << log;
    int rows = 0;
    for (int row = 0; row < kv::RowCount(); ++row) {
        rows += kv::RowTexts(row).title == "Comeback" && kv::RowUnchecked(row) ? 1 : 0;
    }
    EXPECT_EQ(2, rows);

    // Again with the same command as a stored form: still one line per event.
    {
        kvtest::MessageBoxAnswerer none;
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Comeback", "C:\\new\\comeback.exe");
        Settle();
    }
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Comeback"));
    EXPECT_EQ(2u, StoredCommands("Comeback").size());
    const std::string twice = GuardLog();
    EXPECT_EQ(2, std::count(twice.begin(), twice.end(), '\n'));

    // With the setting off it is a new program again.
    WriteSetting("Monitoring", "KeepOff", 0);
    kv::LoadMonitoringSettings(kv::g_app.settings);
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect(kNewCaption, NewProgram("Comeback", "C:\\third.exe", kHkcuRun), IDNO);
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Comeback", "C:\\third.exe");
        answerer.WaitAll(15000);
    }
    EXPECT_TRUE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Comeback"));
    EXPECT_EQ(twice, GuardLog());
}

// A delayed program that writes itself back, with its own command or another,
// is taken out again and stays delayed; another command is kept beside it.
TEST_F(Guard, ADelayedProgramThatPutsItselfBackStaysDelayed) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Launcher", "C:\\l\\launcher.exe");
    OpenMainWindow();
    {
        kvtest::MessageBoxAnswerer none;
        kv::StartupEntry shown = kv::RowTexts(RowWithTitle("Launcher"));
        shown.checked = true;
        ASSERT_TRUE(kv::Delay(shown, 45, 0, [](const std::string&) { return false; }).done());
        kv::ScanDriver();
        Settle();
        for (const char* command : {"C:\\l\\launcher.exe", "C:\\l2\\launcher.exe"}) {
            ASSERT_TRUE(kvtest::RunReg("add \"" + kHkcuRun + "\" /v Launcher /d " + command + " /f"));
            Settle();
            EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Launcher")) << command;
        }
    }
    std::vector<std::pair<std::string, int>> stored;
    for (const kv::StartupEntry& entry : kv::ReadDisabledEntries()) {
        stored.emplace_back(entry.command, entry.delaySeconds);
    }
    EXPECT_EQ((std::vector<std::pair<std::string, int>>{{"C:\\l\\launcher.exe", 45},
                                                        {"C:\\l2\\launcher.exe", 0}}),
              stored);
    int delayed = 0;
    for (int row = 0; row < kv::RowCount(); ++row) {
        delayed += kv::RowTexts(row).title == "Launcher" && kv::RowDelay(row) == 45 ? 1 : 0;
    }
    EXPECT_EQ(1, delayed);
}

TEST_F(Guard, AWindowsSwitchTurnedBackOnIsTurnedOffAgain) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Switched", "switched.exe");
    const std::string off("\x03\0\0\0\x10\x20\x30\x40\x50\x60\x70\x01", 12);
    SetValue(HKEY_CURRENT_USER, kSwitchKey, "Switched", off, REG_BINARY, false);
    OpenMainWindow();
    ASSERT_TRUE(kv::RowSwitchedOff(RowWithTitle("Switched")));
    {
        kvtest::MessageBoxAnswerer none;
        ASSERT_TRUE(kvtest::RunReg("add \"HKCU\\" + kSwitchKey +
                                   "\" /v Switched /t REG_BINARY /d 020000000000000000000000 /f"));
        Settle();
    }
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kSwitchKey.c_str(), 0,
                                           KEY_QUERY_VALUE, &key));
    char bytes[64];
    DWORD size = sizeof(bytes);
    DWORD type = 0;
    RegQueryValueExA(key, "Switched", nullptr, &type, reinterpret_cast<BYTE*>(bytes), &size);
    RegCloseKey(key);
    EXPECT_TRUE(kv::SwitchSaysOff(type, std::string(bytes, size)));
    EXPECT_TRUE(kv::RowSwitchedOff(RowWithTitle("Switched")));
    EXPECT_EQ(CameBack("Switched"), StatusText(0));
    EXPECT_NE(std::string::npos, GuardLog().find("\tSwitched\t"));
}

TEST_F(Guard, AChangedCommandIsAskedOnceAndPutBackByteForByte) {
    const std::string before = "%ProgramFiles%\\up\\up.exe /bg";
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Updater", before, REG_EXPAND_SZ);
    OpenMainWindow();
    const std::string bytes = kvtest::StartupSetBytes().at(kHkcuRun + "|Updater");
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin: изменённая команда",
                        ChangedCommand("Updater", before, "C:\\up2\\up.exe", kHkcuRun), IDYES);
        ASSERT_TRUE(kvtest::RunReg("add \"" + kHkcuRun + "\" /v Updater /d C:\\up2\\up.exe /f"));
        answerer.WaitAll(15000);
        Settle();
    }
    EXPECT_EQ(bytes, kvtest::StartupSetBytes().at(kHkcuRun + "|Updater"));
    EXPECT_EQ(Ansi("Прежняя команда программы Updater возвращена"), StatusText(0));
    {
        // No keeps the new command, and the next change is asked about again.
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin: изменённая команда",
                        ChangedCommand("Updater", before, "C:\\up3\\up.exe", kHkcuRun), IDNO);
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Updater", "C:\\up3\\up.exe");
        answerer.WaitAll(15000);
        Settle();
    }
    EXPECT_EQ("C:\\up3\\up.exe", kvtest::ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Updater"));
}

TEST_F(Guard, ChangesWhileAQuestionIsOpenAreAskedOnceAfterItCloses) {
    OpenMainWindow();
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.ExpectAndDo(kNewCaption, NewProgram("First", "first.exe", kHkcuRun), IDNO, [] {
            SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Second", "second.exe");
            SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Third", "third.exe");
            Sleep(1500); // the quiet time passes while the question is open
        });
        answerer.Expect(kNewCaption, "", IDNO);
        answerer.Expect(kNewCaption, "", IDNO);
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, "First", "first.exe");
        answerer.WaitAll(20000);
        Settle();
        std::vector<std::string> later;
        for (std::size_t i = 1; i < answerer.Seen().size(); ++i) {
            later.push_back(answerer.Seen()[i].text);
        }
        std::sort(later.begin(), later.end());
        EXPECT_EQ((std::vector<std::string>{
                      Ansi(NewProgram("Second", "second.exe", kHkcuRun)),
                      Ansi(NewProgram("Third", "third.exe", kHkcuRun))}),
                  later);
    }
}

TEST_F(Guard, TheProgramsOwnBulkChangesAskNothing) {
    for (const char* name : {"One", "Two", "Three", "Four"}) {
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, name, std::string(name) + ".exe");
    }
    kvtest::MakeFile(kvtest::CurrentUserStartupFolder() + "\\own.bat", "@echo off\r\n");
    OpenMainWindow();
    kvtest::MessageBoxAnswerer none;
    for (const UINT command : {IDM_DISABLE_ALL, IDM_ENABLE_ALL}) {
        SendCommand(command);
        kvtest::StatusBarRecorder recorder;
        recorder.Start();
        Settle();
        recorder.Stop();
        // At most one check's refresh follows the program's own writes.
        EXPECT_LE(std::count(recorder.texts().begin(), recorder.texts().end(),
                             Ansi("Сканирую реестр, ждите ...")),
                  1);
    }
    for (int row = 0; row < kv::RowCount(); ++row) {
        EXPECT_TRUE(kv::RowChecked(row)) << kv::RowTexts(row).title;
    }
    EXPECT_EQ(5, kv::RowCount());
}

TEST_F(Guard, ARefreshBeforeTheCheckTakesNoChangeInUnasked) {
    OpenMainWindow();
    kvtest::MessageBoxAnswerer answerer;
    answerer.Expect(kNewCaption, NewProgram("Early", "early.exe", kHkcuRun), IDNO);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Early", "early.exe");
    // The user refreshes before the quiet time is over: the row shows, and
    // the check still asks.
    SendCommand(IDM_REFRESH);
    EXPECT_GE(RowWithTitle("Early"), 0);
    answerer.WaitAll(15000);
}

TEST_F(Guard, TheShownListKeepsItsScrollPositionAndSelection) {
    for (int i = 10; i < 90; ++i) {
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Row " + std::to_string(i),
                 "row" + std::to_string(i) + ".exe");
    }
    OpenMainWindow();
    ShowWindow(window(), SW_SHOWNORMAL);
    SendMessageA(list(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(kv::RowCount() - 1), FALSE);
    const LRESULT top = SendMessageA(list(), LVM_GETTOPINDEX, 0, 0);
    ASSERT_GT(top, 0);
    Select("Row 12");
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect(kNewCaption, NewProgram("Added", "added.exe", kHkcuRun), IDNO);
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Added", "added.exe");
        answerer.WaitAll(15000);
        EXPECT_EQ(window(), answerer.Seen().at(0).owner); // in sight: the window's question
        Settle();
    }
    EXPECT_GE(RowWithTitle("Added"), 0);
    EXPECT_EQ(top, SendMessageA(list(), LVM_GETTOPINDEX, 0, 0));
    EXPECT_TRUE(kv::RowSelected(RowWithTitle("Row 12")));
    EXPECT_EQ(1, kv::SelectedCount());
}

} // namespace
