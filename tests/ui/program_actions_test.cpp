// The programs behind the rows in the real main window: their running status,
// running and stopping them, and the open-folder question of the worker thread.
#include "base/test_seams.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/processes.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/actions/program_actions.h"
#include "shell/list/row_icons.h"
#include "shell/list/scan_driver.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/process.h"
#include "support/registry_fixture.h"
#include "support/text.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using kvtest::Ansi;
using kvtest::SetValue;

namespace {

class ProgramActions : public kvtest::MainWindowTest {
  protected:
    void TearDown() override {
        kv::SetProcessOpeningRefusedForTests(false);
        // No copy of the probe program outlives its test, whatever failed.
        for (const std::string& name : probes_) {
            kvtest::EndProcessesNamed(name);
        }
        kvtest::MainWindowTest::TearDown();
    }

    // A copy of a system program under a file name that no other test starts,
    // ended after the test: by default the text editor, which keeps running
    // until it is ended.
    std::string MakeProbe(const kvtest::TempFolder& folder, const std::string& name,
                          const std::string& original = kv::WindowsDirectory() + "\\notepad.exe") {
        const std::string path = folder / name;
        EXPECT_TRUE(CopyFileA(original.c_str(), path.c_str(), FALSE)) << path;
        probes_.push_back(name);
        return path;
    }

    void SelectOnly(const std::vector<std::string>& titles) {
        ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
        for (const std::string& title : titles) {
            const int row = RowWithTitle(title);
            ASSERT_GE(row, 0) << title;
            ListView_SetItemState(list(), row, LVIS_SELECTED, LVIS_SELECTED);
            ListView_SetSelectionMark(list(), row);
        }
        kvtest::PumpMessages();
    }

    std::string Status(const std::string& title) const {
        const int row = RowWithTitle(title);
        return row < 0 ? "<no row " + title + ">" : kv::RowText(row, kv::kColumnStatus);
    }

    const std::string running_ = Ansi("Выполняется");
    const std::string stopped_ = Ansi("Остановлено");

  private:
    std::vector<std::string> probes_;
};

// A snapshot process's own handle, to see how it ended.
struct WatchedProcess {
    explicit WatchedProcess(DWORD id)
        : handle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)) {}
    ~WatchedProcess() {
        if (handle != nullptr) {
            CloseHandle(handle);
        }
    }
    bool Ended() const { return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(handle, &code);
        return code;
    }
    HANDLE handle;
};

TEST_F(ProgramActions, RowsOfARunningProgramShowItWhateverItsFolderAndLetterCase) {
    kvtest::TempFolder first("kvrun"), second("kvrun");
    const std::string started = MakeProbe(first, Ansi("КвПроба.exe"));
    const std::string elsewhere = MakeProbe(second, Ansi("КВПРОБА.EXE"));
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Started", started);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Elsewhere", "\"" + elsewhere + "\" /x");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Idle", first / "kvidle.exe");
    OpenMainWindow();
    for (const char* title : {"Started", "Elsewhere", "Idle"}) {
        EXPECT_EQ(stopped_, Status(title)) << title;
    }

    kvtest::ChildProcess child;
    ASSERT_TRUE(child.Start("\"" + started + "\"", first.path()));
    kv::ScanDriver();
    // The file names match in any letter case, Cyrillic ones too; the folders
    // are not compared.
    EXPECT_EQ(running_, Status("Started"));
    EXPECT_EQ(running_, Status("Elsewhere"));
    EXPECT_EQ(stopped_, Status("Idle"));
    // The same, without a refresh, once a program of another row runs: the
    // refresh's resolutions give what resolving each command anew gives.
    const std::string idle = MakeProbe(first, "kvidle.exe");
    kvtest::ChildProcess other;
    ASSERT_TRUE(other.Start("\"" + idle + "\"", first.path()));
    kv::MarkRunningRows();
    const std::unordered_set<std::string> names = kv::RunningProcessNames();
    for (int row = 0; row < kv::RowCount(); ++row) {
        const std::string program = kv::ResolveCommandPath(kv::RowText(row, kv::kColumnCommand),
                                                           kv::ResolveMode::ProgramPath);
        EXPECT_EQ(names.count(kv::ProgramName(program)) != 0 ? running_ : stopped_,
                  kv::RowText(row, kv::kColumnStatus))
            << kv::RowText(row, kv::kColumnTitle);
    }
    EXPECT_EQ(running_, Status("Idle"));

    // Without the process functions nothing is marked, and nothing stopped.
    kv::g_app.ProcessListAvailable = false;
    kv::ScanDriver();
    EXPECT_EQ(stopped_, Status("Started"));
    EXPECT_EQ(stopped_, Status("Elsewhere"));
    SelectOnly({"Started"});
    SendCommand(IDM_TERMINATE);
    EXPECT_EQ(-1, child.Wait(0)) << "the program was stopped";
}

// What a row shows of its program is worked out when the list first shows
// the row, and is what the refresh itself would have shown: the icon of the
// program file, and whether the program ran at the refresh.
TEST_F(ProgramActions, IconsAndStatusesWorkedOutWhenShownAreTheRefreshs) {
    kvtest::TempFolder folder("kvrun");
    const std::string early = MakeProbe(folder, "kvearly.exe");
    const std::string late = MakeProbe(folder, "kvlate.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Early", "\"" + early + "\" /x");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Late", late);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Expand", "%SystemRoot%\\regedit.exe", REG_EXPAND_SZ);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Missing", "C:\\no\\such.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Empty", "");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Resting", early + " /r");
    kvtest::MakeShellLink(kvtest::CurrentUserStartupFolder() + "\\Linked.lnk", early, "/l");
    OpenMainWindow();
    SetBox("Resting", false);
    kvtest::ChildProcess earlyChild;
    ASSERT_TRUE(earlyChild.Start("\"" + early + "\"", folder.path()));
    kv::ScanDriver();
    kvtest::ChildProcess lateChild;
    ASSERT_TRUE(lateChild.Start("\"" + late + "\"", folder.path()));
    ASSERT_EQ(7, kv::RowCount());
    for (int row = 0; row < kv::RowCount(); ++row) {
        const std::string command = kv::RowText(row, kv::kColumnCommand);
        const std::string program = kv::ResolveProgramFile(command);
        LVITEMA item{};
        item.mask = LVIF_IMAGE;
        item.iItem = row;
        ASSERT_TRUE(ListView_GetItem(list(), &item));
        EXPECT_EQ(command.empty() ? 0 : kv::FileIconIndex(program), item.iImage) << command;
        char status[64] = {};
        ListView_GetItemText(list(), row, kv::kColumnStatus, status, sizeof(status));
        EXPECT_EQ(kv::ProgramName(program) == "kvearly.exe" ? running_ : stopped_,
                  std::string(status))
            << command;
    }
}

TEST_F(ProgramActions, RunsTheUnnamedEntryAfterAskingAndStopsItWithAFailureCode) {
    kvtest::TempFolder folder("kvrun");
    const std::string program = MakeProbe(folder, "kvrunprobe.exe");
    const std::string idle = MakeProbe(folder, "kvidleprobe.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "", program);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Idle", idle);
    OpenMainWindow();
    SelectOnly({""});
    const std::string question = "Вы действительно хотите запустить: " + program + " ?";
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", question, IDNO);
        SendCommand(IDM_RUN);
        answerer.WaitAll();
    }
    EXPECT_TRUE(kvtest::ProcessIdsNamed("kvrunprobe.exe").empty());
    EXPECT_EQ(stopped_, Status(""));
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", question, IDYES);
        SendCommand(IDM_RUN);
        answerer.WaitAll();
    }
    const std::vector<DWORD> ids = kvtest::ProcessIdsNamed("kvrunprobe.exe");
    ASSERT_EQ(1u, ids.size());
    EXPECT_EQ(running_, Status(""));
    EXPECT_EQ(stopped_, Status("Idle"));

    // A process that cannot be opened keeps running and its row says so; the
    // status bar names the program.
    WatchedProcess watched(ids.front());
    ASSERT_NE(nullptr, watched.handle);
    SelectOnly({""});
    kv::SetProcessOpeningRefusedForTests(true);
    SendCommand(IDM_TERMINATE);
    kv::SetProcessOpeningRefusedForTests(false);
    EXPECT_FALSE(watched.Ended());
    EXPECT_EQ(running_, Status(""));
    EXPECT_EQ(Ansi("Не могу прекратить выполнение программы kvrunprobe.exe"), StatusText(0));

    // Stopping: the process has ended by the time the row says so, with an
    // ordinary failure code; the row of a program that does not run keeps its
    // status, and nothing is said about either.
    SelectOnly({"", "Idle"});
    const std::string statusBefore = StatusText(0);
    {
        kvtest::MessageBoxAnswerer answerer; // none expected
        SendCommand(IDM_TERMINATE);
    }
    EXPECT_TRUE(watched.Ended());
    EXPECT_EQ(1u, watched.ExitCode());
    EXPECT_EQ(stopped_, Status(""));
    EXPECT_EQ(statusBefore, StatusText(0));

    // A row marked running whose program has ended meanwhile is not changed.
    kvtest::ChildProcess child;
    ASSERT_TRUE(child.Start("\"" + idle + "\"", folder.path()));
    kv::ScanDriver();
    ASSERT_EQ(running_, Status("Idle"));
    child.Terminate();
    SelectOnly({"Idle"});
    const std::string statusNow = StatusText(0);
    SendCommand(IDM_TERMINATE);
    EXPECT_EQ(running_, Status("Idle"));
    EXPECT_EQ(statusNow, StatusText(0));
}

TEST_F(ProgramActions, RunsSeveralRowsWithoutAskingAndNamesOneThatCannotStart) {
    WriteSetting("Confirmation", "MultiRun", 0);
    kvtest::TempFolder folder("kvrun");
    const std::string made = folder / "made by the argument";
    const std::string missing = folder / "missing.exe";
    // The command interpreter: with its arguments it makes the folder they
    // name and ends; without them it would wait for input.
    const std::string maker =
        MakeProbe(folder, "kvmakerprobe.exe", kv::SystemDirectory() + "\\cmd.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Maker", maker + " /c mkdir \"" + made + "\"");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Missing", missing);
    OpenMainWindow();
    SelectOnly({"Maker", "Missing"});
    {
        kvtest::MessageBoxAnswerer answerer; // none expected
        SendCommand(IDM_RUN);
    }
    EXPECT_EQ(Ansi("Не могу запустить ") + missing, StatusText(0));
    // The started program got its arguments: it makes the folder they name.
    for (int i = 0; i < 500 && !kvtest::FileExists(made); ++i) {
        Sleep(20);
    }
    EXPECT_TRUE(kvtest::FileExists(made));
}

TEST_F(ProgramActions, OpenFolderAsksOnItsOwnThread) {
    kvtest::TempFolder folder("kvrun");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "", folder / "one.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Two", folder / "two.exe");
    OpenMainWindow();
    struct Case {
        std::vector<std::string> titles;
        const char* question;
    };
    const Case cases[] = {
        {{""}, "Вы действительно хотите открыть папку для этой программы ?"},
        {{"", "Two"}, "Вы действительно хотите открыть папки для 2 программ"},
    };
    for (const Case& c : cases) {
        SelectOnly(c.titles);
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", c.question, IDNO);
        // The command returns at once: the worker cannot even read the rows
        // until this thread handles its messages, so no question came yet.
        SendMessageA(window(), WM_COMMAND, MAKEWPARAM(IDM_OPEN_FOLDER, 0), 0);
        EXPECT_TRUE(answerer.Seen().empty()) << c.question;
        answerer.WaitAll();
    }
}

} // namespace
