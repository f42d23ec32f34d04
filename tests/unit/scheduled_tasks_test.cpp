// Scheduled tasks as rows, their switch and its read-back, through a fake
// scheduler; the bounded wait for a scheduler that does not answer; and the
// system's scheduler under Wine for what Wine does (a task file placed in
// the tasks folder is read, listing fails cleanly).
#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/scheduled_tasks.h"
#include "entries/task_switch.h"
#include "entries/task_xml.h"

#include "support/rows.h"
#include "support/task_scheduler_fake.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>

namespace {

std::wstring Definition(const std::wstring& trigger, const std::wstring& command,
                        const std::wstring& arguments, bool enabled = true) {
    std::wstring xml = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                       L"<Task xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">"
                       L"<Triggers>" +
                       trigger + L"</Triggers><Settings><Enabled>" +
                       (enabled ? L"true" : L"false") +
                       L"</Enabled></Settings><Actions><Exec><Command>" + command + L"</Command>";
    if (!arguments.empty()) {
        xml += L"<Arguments>" + arguments + L"</Arguments>";
    }
    return xml + L"</Exec></Actions></Task>";
}

const wchar_t* const kLogon = L"<LogonTrigger/>";

kv::TaskStateNow ReadNow(const kv::StartupEntry& entry) {
    return kv::ReadScheduledTaskNow(kv::ClassifyLocationIn(entry.location, "", ""), entry);
}

kv::TaskSwitchOutcome Switch(const kv::StartupEntry& entry, bool on) {
    return kv::SwitchScheduledTask(kv::ClassifyLocationIn(entry.location, "", ""), entry, on);
}

void Add(kvtest::FakeTaskStore& store, const std::wstring& folder, const std::wstring& name,
         const std::wstring& xml, bool enabled) {
    kv::ScheduledTaskInfo task;
    task.folder = folder;
    task.name = name;
    task.xml = xml;
    task.enabled = enabled;
    store.tasks[kv::TaskPath(folder, name)] = task;
}

TEST(ScheduledTaskRows, EachLogonOrBootTaskIsARow) {
    auto store = std::make_shared<kvtest::FakeTaskStore>();
    const std::wstring wideName = L"Agent \x4E2D";
    Add(*store, L"\\", L"Updater",
        Definition(kLogon, L"C:\\Program Files\\Vendor\\upd.exe", L"/silent %USERPROFILE%"), true);
    Add(*store, L"\\Vendor\\Tools", L"Helper",
        Definition(L"<BootTrigger/>", L"\"C:\\Quoted Path\\h.exe\"", L""), false);
    Add(*store, L"\\Vendor", wideName, Definition(kLogon, L"%windir%\\a.exe", L"-q"), true);
    Add(*store, L"\\", L"Nightly", Definition(L"<TimeTrigger/>", L"n.exe", L""), true);
    Add(*store, L"\\", L"Broken", Definition(kLogon, L"b.exe", L"") + L"<", true);
    const kvtest::ScopedTaskScheduler fake(kvtest::FakeScheduler(store));

    kv::ScheduledTaskReadBeside reader;
    const kv::ScheduledTaskRead read = reader.Rows();
    EXPECT_EQ(S_OK, read.failure);
    ASSERT_EQ(3u, read.rows.size());
    struct Expected {
        std::string title;
        std::string command;
        std::string location;
        bool switchedOff;
    };
    const std::string wideTitle = kv::Narrow(wideName);
    const Expected expected[] = {
        {"Updater", "\"C:\\Program Files\\Vendor\\upd.exe\" /silent %USERPROFILE%",
         "Task Scheduler: \\", false},
        {"Helper", "\"C:\\Quoted Path\\h.exe\"", "Task Scheduler: \\Vendor\\Tools", true},
        {wideTitle, "%windir%\\a.exe -q", "Task Scheduler: \\Vendor", false},
    };
    for (const Expected& e : expected) {
        const kv::StartupEntry* row = kvtest::FindTitle(read.rows, e.title);
        ASSERT_NE(nullptr, row) << e.title;
        EXPECT_EQ(e.command, row->command) << e.title;
        EXPECT_EQ(e.location, row->location) << e.title;
        EXPECT_EQ(e.switchedOff, row->switchedOff) << e.title;
        EXPECT_TRUE(row->checked) << e.title;
        EXPECT_EQ(kv::kIconOfCommand, row->icon) << e.title;
    }
    EXPECT_EQ("Agent ?", wideTitle);
    EXPECT_TRUE(kvtest::FindTitle(read.rows, wideTitle)->exactName == wideName);
    EXPECT_TRUE(kvtest::FindTitle(read.rows, "Updater")->exactName.empty());
}

TEST(ScheduledTaskSwitch, EverySwitchIsReadBack) {
    struct Case {
        const char* name;
        bool enabledBefore;
        bool on;
        bool denied;
        bool ignored;
        bool removed;
        HRESULT readBack; // what reading the task again answers
        kv::TaskSwitchResult result;
        bool enabledAfter;
    };
    const Case cases[] = {
        {"off", true, false, false, false, false, S_OK, kv::TaskSwitchResult::Done, false},
        {"on", false, true, false, false, false, S_OK, kv::TaskSwitchResult::Done, true},
        {"not taken", true, false, false, true, false, S_OK, kv::TaskSwitchResult::NotTaken, true},
        {"denied", false, true, true, false, false, S_OK, kv::TaskSwitchResult::AccessDenied,
         false},
        {"gone", true, false, false, false, true, S_OK, kv::TaskSwitchResult::Gone, false},
        {"unread", true, false, false, false, false, E_FAIL, kv::TaskSwitchResult::Failed, false},
    };
    for (const std::wstring& name : {std::wstring(L"Updater"), std::wstring(L"Agent \x4E2D")}) {
        for (const Case& c : cases) {
            auto store = std::make_shared<kvtest::FakeTaskStore>();
            Add(*store, L"\\Vendor", name, Definition(kLogon, L"a.exe", L""), c.enabledBefore);
            const kvtest::ScopedTaskScheduler fake(kvtest::FakeScheduler(store));
            const std::vector<kv::StartupEntry> rows = kv::ReadScheduledTasks().rows;
            ASSERT_EQ(1u, rows.size());
            EXPECT_TRUE(ReadNow(rows[0]).exists) << c.name;
            EXPECT_EQ(c.enabledBefore, ReadNow(rows[0]).on) << c.name;
            store->denied = c.denied;
            store->ignoreSwitch = c.ignored;
            store->readFailure = c.readBack;
            if (c.removed) {
                store->tasks.clear();
            }

            const kv::TaskSwitchOutcome outcome = Switch(rows[0], c.on);
            EXPECT_EQ(c.result, outcome.result) << c.name;
            EXPECT_EQ(1, store->switches) << c.name;
            if (c.result == kv::TaskSwitchResult::Failed) {
                EXPECT_EQ(static_cast<long>(c.readBack), outcome.code);
                continue;
            }
            const kv::TaskStateNow now = ReadNow(rows[0]);
            EXPECT_EQ(!c.removed, now.exists) << c.name;
            EXPECT_EQ(c.enabledAfter, now.on) << c.name;
            EXPECT_FALSE(now.byPolicy) << c.name;
        }
    }
}

TEST(ScheduledTaskWait, AStalledSchedulerGivesUpAfterTheBound) {
    auto release = std::make_shared<kv::UniqueHandle>(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto store = std::make_shared<kvtest::FakeTaskStore>();
    Add(*store, L"\\", L"T", Definition(kLogon, L"a.exe", L""), true);
    kv::TaskScheduler stalled = kvtest::FakeScheduler(store);
    const auto list = stalled.listTasks;
    stalled.listTasks = [release, list](std::vector<kv::ScheduledTaskInfo>& tasks) {
        WaitForSingleObject(release->get(), INFINITE);
        return list(tasks);
    };
    {
        const kvtest::ScopedTaskScheduler fake(stalled);
        kv::ScheduledTaskReadBeside reader(200);
        const kv::ScheduledTaskRead read = reader.Rows();
        EXPECT_TRUE(read.rows.empty());
        EXPECT_EQ(HRESULT_FROM_WIN32(WAIT_TIMEOUT), read.failure);
    }
    // The reader left behind ends alone once the scheduler answers.
    SetEvent(release->get());
    // A scheduler that answers in time is read whole.
    const kvtest::ScopedTaskScheduler fake(kvtest::FakeScheduler(store));
    kv::ScheduledTaskReadBeside reader(200);
    const kv::ScheduledTaskRead read = reader.Rows();
    EXPECT_EQ(S_OK, read.failure);
    EXPECT_EQ(1u, read.rows.size());
}

// A task file as the scheduler keeps it: UTF-16 with a byte order mark.
class PlacedTask {
  public:
    PlacedTask(const std::wstring& name, const std::wstring& xml) {
        wchar_t system[MAX_PATH];
        GetSystemDirectoryW(system, MAX_PATH);
        path_ = std::wstring(system) + L"\\Tasks\\" + name;
        CreateDirectoryW((std::wstring(system) + L"\\Tasks").c_str(), nullptr);
        const std::wstring text = L"\xFEFF" + xml;
        kv::UniqueHandle file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        written_ = file.valid() &&
                   WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size() * 2), &written,
                             nullptr) &&
                   written == text.size() * 2;
    }
    ~PlacedTask() { DeleteFileW(path_.c_str()); }
    PlacedTask(const PlacedTask&) = delete;
    PlacedTask& operator=(const PlacedTask&) = delete;
    bool written() const { return written_; }

  private:
    std::wstring path_;
    bool written_ = false;
};

TEST(ScheduledTaskSystem, APlacedTaskIsReadThroughTheScheduler) {
    const kv::TaskScheduler system = kv::SystemTaskScheduler();
    for (const bool enabled : {true, false}) {
        const std::wstring name = enabled ? L"KvPlacedOn" : L"KvPlacedOff";
        const PlacedTask placed(name, Definition(kLogon, L"C:\\kv placed\\p.exe", L"/a", enabled));
        ASSERT_TRUE(placed.written());
        kv::ScheduledTaskInfo task;
        ASSERT_EQ(S_OK, system.readTask(L"\\" + name, task)) << enabled;
        EXPECT_EQ(enabled, task.enabled);
        EXPECT_TRUE(task.name == name);
        EXPECT_TRUE(task.folder == L"\\");
        // The definition as the scheduler gives it back. Wine writes it anew
        // from what it keeps, without the triggers and the Exec's command;
        // what it does give is read as it says.
        const kv::TaskDefinition definition = kv::ParseTaskXml(task.xml);
        EXPECT_TRUE(definition.wellFormed) << kv::Narrow(task.xml);
        EXPECT_EQ(enabled, definition.enabled) << kv::Narrow(task.xml);
        ASSERT_EQ(1u, definition.execs.size()) << kv::Narrow(task.xml);
        if (!definition.triggers.empty()) {
            EXPECT_TRUE(kv::StartsProgramAtLogonOrBoot(definition));
            EXPECT_TRUE(definition.execs[0].command == L"C:\\kv placed\\p.exe");
        }
    }
    kv::ScheduledTaskInfo missing;
    EXPECT_TRUE(FAILED(system.readTask(L"\\KvNoSuchTask", missing)));
    EXPECT_TRUE(FAILED(system.readTask(L"\\KvNoSuchFolder\\Task", missing)));
}

TEST(ScheduledTaskSystem, ListingAndSwitchingAnswerCleanly) {
    const kv::TaskScheduler system = kv::SystemTaskScheduler();
    const kvtest::ScopedTaskScheduler real(system);
    const PlacedTask placed(L"KvPlacedSwitch", Definition(kLogon, L"s.exe", L"", true));
    ASSERT_TRUE(placed.written());

    // Wine's scheduler cannot list its tasks: the failure comes back as
    // such, in time; a scheduler that lists them lists the placed one.
    kv::ScheduledTaskReadBeside reader;
    const kv::ScheduledTaskRead read = reader.Rows();
    EXPECT_NE(HRESULT_FROM_WIN32(WAIT_TIMEOUT), read.failure);
    if (SUCCEEDED(read.failure)) {
        EXPECT_NE(nullptr, kvtest::FindTitle(read.rows, "KvPlacedSwitch"));
    }

    // The switch from the interface's thread (COM single-threaded there):
    // whatever the scheduler answers, the outcome agrees with a reading.
    const kv::ComScope com;
    kv::StartupEntry entry;
    entry.title = "KvPlacedSwitch";
    entry.location = kv::ScheduledTaskLocationString("\\");
    ASSERT_TRUE(ReadNow(entry).exists);
    ASSERT_TRUE(ReadNow(entry).on);
    const kv::TaskSwitchOutcome outcome = Switch(entry, false);
    const kv::TaskStateNow now = ReadNow(entry);
    ASSERT_TRUE(outcome.result == kv::TaskSwitchResult::Done ||
                outcome.result == kv::TaskSwitchResult::NotTaken)
        << static_cast<int>(outcome.result) << " " << outcome.code;
    EXPECT_EQ(outcome.result == kv::TaskSwitchResult::NotTaken, now.on);
    entry.title = "KvNoSuchTask";
    EXPECT_EQ(kv::TaskSwitchResult::Gone, Switch(entry, true).result);
}

} // namespace
