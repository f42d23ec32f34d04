// The delayed entries started by the real main window after their delays,
// and the question when the program's own autostart value is gone.
#include "entries/catalogue.h"
#include "moves/entry_moves.h"
#include "records/disabled_store.h"
#include "records/user_data_folder.h"
#include "shell/app/delayed_starts_run.h"
#include "shell/frame/app_state.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/process.h"
#include "support/registry_fixture.h"
#include "support/start_records.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kHkcuRun = std::string("HKCU\\") + kRunKey;

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

class DelayedStarts : public kvtest::MainWindowTest {
  protected:
    // A value of HKCU Run, taken out by the delay move with these seconds.
    static void DelayRunValue(const std::string& name, const std::string& command, int seconds) {
        kvtest::SetValue(HKEY_CURRENT_USER, kRunKey, name, command);
        kv::StartupEntry shown;
        shown.title = name;
        shown.command = command;
        shown.location = kHkcuRun;
        shown.checked = true;
        const kv::MoveOutcome outcome = kv::Delay(shown, seconds, kv::ReadDisabledEntries().size(),
                                                  [](const std::string&) { return false; });
        ASSERT_TRUE(outcome.done()) << outcome.text;
    }
    static std::vector<std::string> StoredTitles() {
        std::vector<std::string> titles;
        for (const kv::StartupEntry& entry : kv::ReadDisabledEntries()) {
            titles.push_back(entry.title + "@" + std::to_string(entry.delaySeconds));
        }
        return titles;
    }
    // The label the recorder was given last on its command line.
    static std::string Label(const kvtest::StartRecord& record) {
        return record.commandLine.substr(record.commandLine.rfind(' ') + 1);
    }

    kvtest::TempFolder folder{"kvdelay"};
    const std::string log = folder / "starts.log";
    const std::string recorder = kvtest::StartRecorderPath();
};

// In order of delay, each after its delay and two seconds after the one
// before; one whose program runs is skipped; one that fails is named with
// the system's reason and stays delayed; one undelayed meanwhile is not
// started.
TEST_F(DelayedStarts, InOrderSpacedSkippedFailedAndUndelayed) {
    // A program that runs already, under its own name.
    const std::string busy = folder / "kvbusy.exe";
    ASSERT_TRUE(CopyFileA(recorder.c_str(), busy.c_str(), FALSE));
    kvtest::ChildProcess running;
    ASSERT_TRUE(running.Start(Quoted(busy) + " " + Quoted(folder / "busy.log") + " --linger",
                              folder.path()));
    ASSERT_EQ(1U, kvtest::WaitForStartRecords(folder / "busy.log", 1, 10000).size());

    const std::string line = Quoted(recorder) + " " + Quoted(log);
    DelayRunValue("Later", line + " later", 3);
    DelayRunValue("First", line + " first", 1);
    DelayRunValue("Second", line + " second", 1);
    DelayRunValue("Busy", Quoted(busy) + " " + Quoted(log) + " busy", 1);
    DelayRunValue("Broken", Quoted(folder / "missing.exe"), 2);
    // The own value that starts the delayed entries is there: no question.
    kvtest::SetValue(HKEY_CURRENT_USER, kRunKey, "Kelvorin", "\"C:\\K\\Kelvorin.exe\" /m /startup");
    const std::vector<std::string> storedBefore = StoredTitles();

    // Started with "/startup": the window begins the starts as it is made.
    const ULONGLONG originMs = kvtest::NowMs();
    OpenMainWindowStartingDelayedEntries(GetTickCount64());
    kvtest::StatusBarRecorder status;
    status.Start();
    EXPECT_TRUE(kv::DelayedStartsWaiting());

    // "Later" goes back into its location before its turn.
    std::vector<kvtest::StartRecord> records;
    const ULONGLONG deadline = GetTickCount64() + 20000;
    bool undelayed = false;
    while (kv::DelayedStartsWaiting() && GetTickCount64() < deadline) {
        kvtest::PumpMessages(20);
        records = kvtest::ReadStartRecords(log);
        if (!undelayed && records.size() >= 2) {
            for (const kv::StartupEntry& entry : kv::ReadDisabledEntries()) {
                if (entry.title == "Later") {
                    ASSERT_TRUE(
                        kv::Delay(entry, 0, 0, [](const std::string&) { return false; }).done());
                }
            }
            undelayed = true;
        }
    }
    EXPECT_FALSE(kv::DelayedStartsWaiting());
    kvtest::PumpMessages(1000);
    status.Stop();
    records = kvtest::ReadStartRecords(log);

    ASSERT_EQ(2U, records.size());
    EXPECT_EQ("first", Label(records[0]));
    EXPECT_EQ("second", Label(records[1]));
    EXPECT_GE(records[0].startedMs, originMs + 1000);
    EXPECT_GE(records[1].startedMs, records[0].startedMs + 2000);

    const std::string failure = kvtest::Ansi("Не удалось запустить отложенную программу Broken");
    const auto said =
        std::find_if(status.texts().begin(), status.texts().end(),
                     [&](const std::string& text) { return text.find(failure) == 0; });
    ASSERT_NE(status.texts().end(), said);
    EXPECT_NE(std::string::npos, said->find(kvtest::Ansi("(код ")));

    // Nothing started changed the store; only "Later" left it.
    std::vector<std::string> expected = storedBefore;
    expected.erase(std::find(expected.begin(), expected.end(), "Later@3"));
    EXPECT_EQ(expected, StoredTitles());
    EXPECT_EQ(line + " later", kvtest::ReadString(HKEY_CURRENT_USER, kRunKey, "Later"));
}

// At a start with delayed entries, an own value that is missing or lacks
// the switch is offered back; Yes writes it with "/m /startup".
TEST_F(DelayedStarts, OwnValueGoneIsOfferedBack) {
    const std::string question = "Отложенные программы не будут запущены при входе в Windows: "
                                 "значение автозапуска Kelvorin удалено или изменено. "
                                 "Восстановить его?";
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    const std::string program = module;
    const std::string own =
        (program.find(' ') != std::string::npos ? Quoted(program) : program) + " /m /startup";
    struct Case {
        const char* what;
        bool delayed;
        const char* before; // the own value before the start; null: none
        std::vector<std::pair<std::string, int>> boxes; // text and answer
        std::string after;                              // the value after it
    };
    const Case cases[] = {
        {"missing, Yes", true, nullptr, {{question, IDYES}}, own},
        {"missing, No", true, nullptr, {{question, IDNO}}, ""},
        {"without the switch, Yes", true, "C:\\K\\Kelvorin.exe /m", {{question, IDYES}}, own},
        {"with the switch",
         true,
         "C:\\K\\Kelvorin.exe /m /startup",
         {},
         "C:\\K\\Kelvorin.exe /m /startup"},
        {"nothing delayed", false, nullptr, {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CloseMainWindow();
        kv::WriteDisabledStore({});
        kvtest::ClearStartupRegistry();
        // No change since the last run for the start-up check to ask about.
        kvtest::RemovePath(kv::UserDataFilePath(kv::UserDataFile::ChangeSnapshot));
        if (c.delayed) {
            DelayRunValue("Cloud", "C:\\cloud.exe", 30);
        }
        if (c.before != nullptr) {
            kvtest::SetValue(HKEY_CURRENT_USER, kRunKey, "Kelvorin", c.before);
        }
        {
            kvtest::MessageBoxAnswerer boxes;
            for (const auto& box : c.boxes) {
                boxes.Expect("Kelvorin", box.first, box.second);
            }
            OpenMainWindow();
            boxes.WaitAll();
        }
        EXPECT_EQ(c.after, kvtest::ReadString(HKEY_CURRENT_USER, kRunKey, "Kelvorin"));
        // The delayed entry itself stays as it was.
        EXPECT_EQ(c.delayed ? std::vector<std::string>{"Cloud@30"} : std::vector<std::string>{},
                  StoredTitles());
    }
}

} // namespace
