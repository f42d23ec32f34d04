// Scheduled tasks that start a program at logon or boot: the rows of the
// list they make, read on a thread of their own beside the rest of a
// refresh, and the task scheduler behind one small seam (list, read one,
// switch one) so that what the platform does not do on demand can be faked.
#pragma once

#include "base/handles.h"
#include "entries/startup_entry.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kv {

// One registered task as the scheduler gives it.
struct ScheduledTaskInfo {
    std::wstring folder; // "\" for the root, "\Vendor\Tools" below it
    std::wstring name;
    std::wstring xml; // its definition
    bool enabled = false;
};

// The scheduler's three calls. Each answers S_OK or the failure's HRESULT;
// `path` is the folder and the name ("\Name", "\Vendor\Tools\Name").
struct TaskScheduler {
    // Every task of every folder, hidden ones included.
    std::function<HRESULT(std::vector<ScheduledTaskInfo>& tasks)> listTasks;
    std::function<HRESULT(const std::wstring& path, ScheduledTaskInfo& task)> readTask;
    std::function<HRESULT(const std::wstring& path, bool enabled)> setEnabled;
};

// The scheduler in use: the system's (Task Scheduler 2.0), or a test's.
TaskScheduler CurrentTaskScheduler();
// The system's, whatever a test installed.
TaskScheduler SystemTaskScheduler();

// The path of a task in a folder: "\" + name in the root.
std::wstring TaskPath(const std::wstring& folder, const std::wstring& name);

// The rows of the tasks that start a program at logon or boot, from what the
// scheduler listed: checked, and switched off when the task is disabled.
std::vector<StartupEntry> ScheduledTaskRows(const std::vector<ScheduledTaskInfo>& tasks);

// What reading the scheduler gave: its rows, and S_OK or why it could not
// list its tasks (the rows it could list are still given).
struct ScheduledTaskRead {
    std::vector<StartupEntry> rows;
    HRESULT failure = S_OK;
};

// Lists the tasks through the scheduler in use, with COM of its own on the
// calling thread.
ScheduledTaskRead ReadScheduledTasks();

// The scheduler read on a thread of its own from when the reader is made
// until its rows are asked for; where no thread can be made, it is read when
// they are asked for. The scheduler runs as a service: the rows are awaited
// a bounded time only, and a scheduler that has not answered by then gives
// no rows and HRESULT_FROM_WIN32(WAIT_TIMEOUT) (the thread is left to end
// alone).
class ScheduledTaskReadBeside {
  public:
    static constexpr DWORD kDefaultWait = 5000; // milliseconds

    explicit ScheduledTaskReadBeside(DWORD waitMilliseconds = kDefaultWait);
    ScheduledTaskReadBeside(const ScheduledTaskReadBeside&) = delete;
    ScheduledTaskReadBeside& operator=(const ScheduledTaskReadBeside&) = delete;

    ScheduledTaskRead Rows();

  private:
    struct Shared;
    static unsigned __stdcall Read(void* param);

    DWORD wait_;
    std::shared_ptr<Shared> shared_;
    UniqueHandle thread_;
};

} // namespace kv
