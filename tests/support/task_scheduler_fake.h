// The task scheduler the tests see: none of the prefix's by default (under
// Wine the real one cannot list its tasks, and every refresh would say so),
// or a fake holding the tasks a test gives it.
#pragma once

#include "entries/scheduled_tasks.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace kvtest {

// A scheduler with no tasks: listing gives none, and every task is missing.
void InstallNoTaskScheduler();

// Tasks kept in memory by path ("\Name", "\Vendor\Name"), answering as the
// scheduler would. `listFailure` fails the listing (with the tasks listed
// still given), `denied` refuses every switch, `ignoreSwitch` answers a
// switch with success and changes nothing, `readFailure` fails every read.
struct FakeTaskStore {
    std::mutex lock;
    std::map<std::wstring, kv::ScheduledTaskInfo> tasks;
    HRESULT listFailure = S_OK;
    bool denied = false;
    bool ignoreSwitch = false;
    HRESULT readFailure = S_OK;
    int switches = 0;
};

// A scheduler answering from `store` (shared with it).
kv::TaskScheduler FakeScheduler(const std::shared_ptr<FakeTaskStore>& store);

// Installs a scheduler for one test, and the one with no tasks again after.
class ScopedTaskScheduler {
  public:
    explicit ScopedTaskScheduler(const kv::TaskScheduler& scheduler);
    ~ScopedTaskScheduler();
    ScopedTaskScheduler(const ScopedTaskScheduler&) = delete;
    ScopedTaskScheduler& operator=(const ScopedTaskScheduler&) = delete;
};

} // namespace kvtest
