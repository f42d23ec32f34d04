#include "support/task_scheduler_fake.h"

#include "base/test_seams.h"

namespace kvtest {

void InstallNoTaskScheduler() {
    kv::TaskScheduler none;
    none.listTasks = [](std::vector<kv::ScheduledTaskInfo>& tasks) {
        tasks.clear();
        return S_OK;
    };
    none.readTask = [](const std::wstring&, kv::ScheduledTaskInfo&) {
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    };
    none.setEnabled = [](const std::wstring&, bool) {
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    };
    kv::SetTaskSchedulerForTests(&none);
}

kv::TaskScheduler FakeScheduler(const std::shared_ptr<FakeTaskStore>& store) {
    kv::TaskScheduler fake;
    fake.listTasks = [store](std::vector<kv::ScheduledTaskInfo>& tasks) {
        const std::lock_guard<std::mutex> hold(store->lock);
        for (const auto& task : store->tasks) {
            tasks.push_back(task.second);
        }
        return store->listFailure;
    };
    fake.readTask = [store](const std::wstring& path, kv::ScheduledTaskInfo& task) {
        const std::lock_guard<std::mutex> hold(store->lock);
        const auto found = store->tasks.find(path);
        if (FAILED(store->readFailure)) {
            return store->readFailure;
        }
        if (found == store->tasks.end()) {
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
        task = found->second;
        return S_OK;
    };
    fake.setEnabled = [store](const std::wstring& path, bool enabled) {
        const std::lock_guard<std::mutex> hold(store->lock);
        ++store->switches;
        const auto found = store->tasks.find(path);
        if (found == store->tasks.end()) {
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
        if (store->denied) {
            return E_ACCESSDENIED;
        }
        if (!store->ignoreSwitch) {
            found->second.enabled = enabled;
        }
        return S_OK;
    };
    return fake;
}

ScopedTaskScheduler::ScopedTaskScheduler(const kv::TaskScheduler& scheduler) {
    kv::SetTaskSchedulerForTests(&scheduler);
}

ScopedTaskScheduler::~ScopedTaskScheduler() {
    InstallNoTaskScheduler();
}

} // namespace kvtest
