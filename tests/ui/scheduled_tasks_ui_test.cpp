// Scheduled tasks in a refresh of the real main window, through a fake
// scheduler: their rows beside the others, and a listing failure said once
// in the status bar.
#include "entries/catalogue.h"
#include "entries/scheduled_tasks.h"
#include "shell/list/scan_driver.h"

#include "support/main_window_fixture.h"
#include "support/task_scheduler_fake.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

std::shared_ptr<kvtest::FakeTaskStore> StoreWithTask(const std::wstring& name, bool enabled) {
    auto store = std::make_shared<kvtest::FakeTaskStore>();
    kv::ScheduledTaskInfo task;
    task.folder = L"\\";
    task.name = name;
    task.enabled = enabled;
    task.xml = L"<Task><Triggers><LogonTrigger/></Triggers>"
               L"<Actions><Exec><Command>t.exe</Command></Exec></Actions></Task>";
    store->tasks[kv::TaskPath(task.folder, task.name)] = task;
    return store;
}

class ScheduledTaskRefresh : public kvtest::MainWindowTest {
  protected:
    bool Listed(const std::string& title) const {
        const std::vector<std::string> titles = Titles();
        return std::find(titles.begin(), titles.end(), title) != titles.end();
    }
};

TEST_F(ScheduledTaskRefresh, AListingFailureIsSaidOnceAndTheOtherRowsStay) {
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "KvNeighbour", "n.exe");
    const auto store = StoreWithTask(L"KvTask", true);
    const kvtest::ScopedTaskScheduler fake(kvtest::FakeScheduler(store));
    const auto said = [](const char* code) {
        return kvtest::Ansi(std::string("Не удалось прочитать задания планировщика (код 0x") +
                            code + ")");
    };

    OpenMainWindow();

    struct Step {
        HRESULT failure;
        const char* shown; // null: the usual text
    };
    const Step steps[] = {
        {E_NOTIMPL, "80004001"},      // the first failure
        {E_NOTIMPL, nullptr},         // the same failure again
        {E_ACCESSDENIED, "80070005"}, // another code
        {E_ACCESSDENIED, nullptr},    //
        {S_OK, nullptr},              // read: the next failure is said again
        {E_ACCESSDENIED, "80070005"},
    };
    for (const Step& step : steps) {
        store->listFailure = step.failure;
        kv::ScanDriver();
        if (step.shown != nullptr) {
            EXPECT_EQ(said(step.shown), StatusText(0)) << step.failure;
        } else {
            EXPECT_NE(std::string::npos, StatusText(0).find("F1")) << kvtest::Utf8(StatusText(0));
        }
        EXPECT_TRUE(Listed("KvNeighbour"));
        EXPECT_TRUE(Listed("KvTask")); // what the scheduler could list
    }
}

} // namespace
