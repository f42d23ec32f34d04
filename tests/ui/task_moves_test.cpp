// Tasks in the real main window: a box turns only the task's switch, read
// back; a switch that a policy holds, delete and edit are refused before
// anything changes; the bulk commands switch tasks where they are; the change
// check asks to turn off a task that another program switched on, and takes
// one switched off for no change; a list restore switches tasks as listed.
#include "base/test_seams.h"
#include "entries/catalogue.h"
#include "records/change_snapshot.h"
#include "shell/actions/list_files.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_rows.h"
#include "shell/list/scan_driver.h"

#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/package_fixture.h"
#include "support/task_scheduler_fake.h"
#include "support/text.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <memory>

namespace {

const char* const kFamily = "Vendor.App_pub1";

// A DWORD of the task's state key (its State by default); -1 when there is none.
long StateOf(const std::string& taskId, const char* name = "State") {
    DWORD value = 0;
    DWORD size = sizeof(value);
    const std::string key = kvtest::TaskStateKey(kFamily, taskId);
    if (RegGetValueA(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
        return -1;
    }
    return static_cast<long>(value);
}

class TaskMoves : public kvtest::MainWindowTest {
  protected:
    // One package with a task in each state: On 2, Off 1, Held 3 (off by
    // policy), Forced 4 (on by policy); and a Run entry beside them.
    void InstallTasks() {
        packages_.Install(L"Vendor.App_1.0.0.0_x64__pub1",
                          kvtest::ManifestText("Vendor.App", {kvtest::Task("On", "false", "On"),
                                                              kvtest::Task("Off", "true", "Off"),
                                                              kvtest::Task("Held", "true", "Held"),
                                                              kvtest::Task("Forced", "false",
                                                                           "Forced")}));
        kvtest::SetTaskState(kFamily, "On", 2);
        kvtest::SetTaskState(kFamily, "Off", 1);
        kvtest::SetTaskState(kFamily, "Held", 3);
        kvtest::SetTaskState(kFamily, "Forced", 4);
        kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Runner", "runner.exe");
    }
    void Select(const std::string& title) {
        ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
        ListView_SetItemState(list(), RowWithTitle(title), LVIS_SELECTED, LVIS_SELECTED);
    }
    std::string Status(const std::string& title) {
        return kvtest::Utf8(kv::RowText(RowWithTitle(title), kv::kColumnStatus));
    }

    kvtest::PackageInstaller packages_;
};

TEST_F(TaskMoves, TheBoxTurnsOnlyTheSwitchAndWhatCannotBeTurnedIsRefused) {
    InstallTasks();
    OpenMainWindow();
    EXPECT_EQ("Отключено в Windows", Status("Off"));
    EXPECT_EQ("Отключено политикой", Status("Held"));
    EXPECT_EQ("Остановлено", Status("Forced"));
    EXPECT_EQ(kvtest::Ansi("Всего программ: 5 (отключено: 2, выделено: 0)"), StatusText(1));

    SetBox("On", false);
    EXPECT_EQ(1, StateOf("On"));
    EXPECT_FALSE(kv::RowBoxSet(RowWithTitle("On")));
    SetBox("Off", true);
    EXPECT_EQ(2, StateOf("Off"));
    EXPECT_TRUE(kv::RowBoxSet(RowWithTitle("Off")));
    EXPECT_EQ(1, StateOf("Off", "UserEnabledStartupOnce"));
    // A policy's switch: the box stays, the value too, and the status says why.
    for (const char* held : {"Held", "Forced"}) {
        const bool wasSet = kv::RowBoxSet(RowWithTitle(held));
        SetBox(held, !wasSet);
        EXPECT_EQ(wasSet, kv::RowBoxSet(RowWithTitle(held))) << held;
        EXPECT_EQ(kvtest::Ansi("Этим параметром управляет политика"), StatusText(0)) << held;
    }
    EXPECT_EQ(3, StateOf("Held"));
    EXPECT_EQ(4, StateOf("Forced"));

    // Delete and edit refuse a task before anything changes.
    Select("Off");
    for (const UINT command : {IDM_DELETE, IDM_EDIT}) {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "", IDOK);
        SendCommand(command);
        answerer.WaitAll();
        EXPECT_NE(std::string::npos,
                  kvtest::Utf8(answerer.Seen().at(0).text).find("Её можно только отключить"));
    }
    EXPECT_EQ(2, StateOf("Off"));
    EXPECT_GE(RowWithTitle("Off"), 0);

    // The bulk commands switch the tasks where they are and leave a
    // policy's alone; the Run entry moves as ever.
    SendCommand(IDM_DISABLE_ALL);
    EXPECT_EQ(1, StateOf("On"));
    EXPECT_EQ(1, StateOf("Off"));
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Runner"));
    SendCommand(IDM_ENABLE_ALL);
    EXPECT_EQ(2, StateOf("On"));
    EXPECT_EQ(2, StateOf("Off"));
    EXPECT_EQ("runner.exe", kvtest::ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Runner"));
    EXPECT_EQ(3, StateOf("Held"));
    EXPECT_EQ(4, StateOf("Forced"));
}

TEST_F(TaskMoves, TheCheckAsksToTurnOffWhatAnotherProgramTurnedOnAndARestoreSwitches) {
    InstallTasks();
    OpenMainWindow();
    const std::string location = kv::PackagedTaskLocationString(kFamily, "Off");
    const std::string command = kv::RowText(RowWithTitle("Off"), kv::kColumnCommand);
    // Another program turns Off on and On off: only the first is news.
    kvtest::SetTaskState(kFamily, "Off", 2);
    kvtest::SetTaskState(kFamily, "On", 0);
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin: новая программа",
                        "Следующая программа была добавлена в автозагрузку:\n\nЗаголовок: Off"
                        "\nКоманда: " +
                            kvtest::Utf8(command) + "\nРасположение: " + location +
                            "\n\nВы хотите отключить её?",
                        IDYES);
        answerer.Expect("Kelvorin",
                        "Ни один сторонний процесс не удалял программы из автозагрузки.", IDOK);
        SendCommand(IDM_CHECK_CHANGES);
        answerer.WaitAll();
    }
    EXPECT_EQ(1, StateOf("Off"));
    EXPECT_EQ(0, StateOf("On"));
    // A saved list brings back each task's switch, and only that.
    SetBox("Off", true);
    const std::string list = programFolder() + "\\tasks.ini";
    kv::g_app.LastListPath = list;
    SendCommand(IDM_SAVE_LIST);
    kvtest::SetTaskState(kFamily, "Off", 1);
    kvtest::SetTaskState(kFamily, "On", 2);
    {
        kvtest::MessageBoxAnswerer answerer; // no question: nothing is replaced
        ASSERT_TRUE(kv::RestoreListFile(list));
    }
    EXPECT_EQ(2, StateOf("Off"));
    EXPECT_EQ(1, StateOf("On"));
    EXPECT_EQ(3, StateOf("Held"));
    EXPECT_EQ(4, StateOf("Forced"));
    EXPECT_EQ("runner.exe", kvtest::ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Runner"));

    // Tasks whose app went are told of, with nothing to put back.
    kvtest::DeleteKeyTree(HKEY_CURRENT_USER, std::string(kv::kAppModelPackagesKey));
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin: старая программа", "", IDOK);
        answerer.Expect("Kelvorin: старая программа", "", IDOK);
        answerer.Expect("Kelvorin",
                        "С момента последней проверки автозагрузки новых программ "
                        "добавлено не было.",
                        IDOK);
        SendCommand(IDM_CHECK_CHANGES);
        answerer.WaitAll();
        for (std::size_t box = 0; box < 2; ++box) {
            EXPECT_NE(std::string::npos, kvtest::Utf8(answerer.Seen().at(box).text)
                                             .find("вернуть её Kelvorin не может"));
        }
    }
    EXPECT_EQ(-1, RowWithTitle("Off"));
    EXPECT_EQ(2, StateOf("Off")); // nothing was written for it
}

// A scheduled task's box: the switch is read back, and a refused or ignored
// one puts the box back with the reason; a scheduler that cannot list its
// tasks makes none of them gone, nor new once it answers again.
TEST_F(TaskMoves, AScheduledTaskIsReadBackAndAnUnreadSchedulerChangesNothing) {
    auto store = std::make_shared<kvtest::FakeTaskStore>();
    kv::ScheduledTaskInfo task;
    task.folder = L"\\Vendor";
    task.name = L"Updater";
    task.enabled = true;
    task.xml = L"<Task><Triggers><LogonTrigger/></Triggers>"
               L"<Actions><Exec><Command>u.exe</Command></Exec></Actions></Task>";
    store->tasks[kv::TaskPath(task.folder, task.name)] = task;
    const kvtest::ScopedTaskScheduler fake(kvtest::FakeScheduler(store));
    OpenMainWindow();
    ASSERT_TRUE(kv::RowBoxSet(RowWithTitle("Updater")));

    struct Case {
        bool denied, ignored;
        const char* status;
    };
    const Case cases[] = {
        {true, false, "Сервис Updater нельзя переключить: Windows отказала в доступе (код 0x80070005)"},
        {false, true, "Сервис Updater не переключен: Windows оставила прежнее состояние"},
        {false, false, "Сервис Updater был отключен"},
    };
    for (const Case& c : cases) {
        store->denied = c.denied;
        store->ignoreSwitch = c.ignored;
        SetBox("Updater", false);
        const bool off = !c.denied && !c.ignored;
        EXPECT_EQ(!off, kv::RowBoxSet(RowWithTitle("Updater"))) << c.status;
        EXPECT_EQ(!off, store->tasks.begin()->second.enabled) << c.status;
        EXPECT_EQ(c.status, kvtest::Utf8(StatusText(0)));
    }
    SetBox("Updater", true);
    ASSERT_TRUE(store->tasks.begin()->second.enabled);

    // The scheduler stops answering, then answers again: no question.
    for (const HRESULT failure : {HRESULT_FROM_WIN32(WAIT_TIMEOUT), S_OK}) {
        store->listFailure = failure;
        if (FAILED(failure)) {
            store->tasks.clear(); // lists nothing, as a timed-out read gives
        } else {
            store->tasks[kv::TaskPath(task.folder, task.name)] = task;
        }
        CheckFindingNothing();
    }
    EXPECT_GE(RowWithTitle("Updater"), 0);
}

} // namespace
