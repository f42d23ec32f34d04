#include "entries/scheduled_tasks.h"

#include "base/test_seams.h"
#include "entries/catalogue.h"
#include "entries/entry_identity.h"
#include "entries/task_switch.h"
#include "entries/task_xml.h"

#include <oleauto.h>
#include <process.h>
#include <taskschd.h>

#include <deque>
#include <mutex>
#include <new>

namespace kv {

namespace {

// A BSTR owned for the owner's lifetime.
class Bstr {
  public:
    Bstr() = default;
    explicit Bstr(const std::wstring& text)
        : bstr_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(bstr_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;

    BSTR* Out() {
        SysFreeString(bstr_);
        bstr_ = nullptr;
        return &bstr_;
    }
    BSTR get() const { return bstr_; }
    std::wstring text() const {
        return bstr_ != nullptr ? std::wstring(bstr_, SysStringLen(bstr_)) : std::wstring();
    }

  private:
    BSTR bstr_ = nullptr;
};

bool IsAccessDenied(HRESULT hr) {
    return hr == E_ACCESSDENIED || hr == HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
}

bool IsMissing(HRESULT hr) {
    return hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) ||
           hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

VARIANT IndexVariant(LONG index) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = index;
    return v;
}

HRESULT ConnectedService(ComPtr<ITaskService>& service) {
    HRESULT hr = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_ITaskService, service.Out());
    if (FAILED(hr)) {
        return hr;
    }
    VARIANT empty;
    VariantInit(&empty);
    return service->Connect(empty, empty, empty, empty);
}

HRESULT OpenFolder(ITaskService* service, const std::wstring& path, ComPtr<ITaskFolder>& folder) {
    const Bstr name(path);
    return service->GetFolder(name.get(), reinterpret_cast<ITaskFolder**>(folder.Out()));
}

// A task's folder and name, split at the last backslash of its path.
void SplitTaskPath(const std::wstring& path, std::wstring& folder, std::wstring& name) {
    const std::size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) {
        folder = L"\\";
        name = path;
        return;
    }
    folder = slash == 0 ? std::wstring(L"\\") : path.substr(0, slash);
    name = path.substr(slash + 1);
}

// Opens the task at `path` and hands it to `act`, with COM of the calling
// thread's own (multithreaded where the thread has none yet).
HRESULT WithTask(const std::wstring& path, const std::function<HRESULT(IRegisteredTask*)>& act) {
    const ComScope com(COINIT_MULTITHREADED);
    ComPtr<ITaskService> service;
    HRESULT hr = ConnectedService(service);
    if (FAILED(hr)) {
        return hr;
    }
    std::wstring folderPath;
    std::wstring name;
    SplitTaskPath(path, folderPath, name);
    ComPtr<ITaskFolder> folder;
    hr = OpenFolder(service.get(), folderPath, folder);
    if (FAILED(hr)) {
        return hr;
    }
    const Bstr taskName(name);
    ComPtr<IRegisteredTask> task;
    hr = folder->GetTask(taskName.get(), reinterpret_cast<IRegisteredTask**>(task.Out()));
    return FAILED(hr) ? hr : act(task.get());
}

// The task's name, definition and state; `folder` as given.
HRESULT ReadRegistered(IRegisteredTask* registered, const std::wstring& folder,
                       ScheduledTaskInfo& task) {
    Bstr name;
    Bstr xml;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    HRESULT hr = registered->get_Name(name.Out());
    if (SUCCEEDED(hr)) {
        hr = registered->get_Xml(xml.Out());
    }
    if (SUCCEEDED(hr)) {
        hr = registered->get_Enabled(&enabled);
    }
    if (FAILED(hr)) {
        return hr;
    }
    task.folder = folder;
    task.name = name.text();
    task.xml = xml.text();
    task.enabled = enabled != VARIANT_FALSE;
    return S_OK;
}

// The tasks of one folder, and the paths of its subfolders. What this user
// may not see (access denied) is left out; the first other failure is kept
// in `failure` and the rest is still read.
void ListFolder(ITaskFolder* folder, const std::wstring& path,
                std::vector<ScheduledTaskInfo>& tasks, std::deque<std::wstring>& subfolders,
                HRESULT& failure) {
    const auto note = [&failure](HRESULT hr) {
        if (FAILED(hr) && !IsAccessDenied(hr) && SUCCEEDED(failure)) {
            failure = hr;
        }
    };
    ComPtr<IRegisteredTaskCollection> registered;
    HRESULT hr = folder->GetTasks(TASK_ENUM_HIDDEN,
                                  reinterpret_cast<IRegisteredTaskCollection**>(registered.Out()));
    LONG count = 0;
    if (SUCCEEDED(hr)) {
        hr = registered->get_Count(&count);
    }
    note(hr);
    for (LONG i = 1; SUCCEEDED(hr) && i <= count; ++i) {
        ComPtr<IRegisteredTask> one;
        HRESULT itemHr =
            registered->get_Item(IndexVariant(i), reinterpret_cast<IRegisteredTask**>(one.Out()));
        ScheduledTaskInfo task;
        if (SUCCEEDED(itemHr)) {
            itemHr = ReadRegistered(one.get(), path, task);
        }
        if (SUCCEEDED(itemHr)) {
            tasks.push_back(std::move(task));
        }
        note(itemHr);
    }

    ComPtr<ITaskFolderCollection> children;
    hr = folder->GetFolders(0, reinterpret_cast<ITaskFolderCollection**>(children.Out()));
    count = 0;
    if (SUCCEEDED(hr)) {
        hr = children->get_Count(&count);
    }
    note(hr);
    for (LONG i = 1; SUCCEEDED(hr) && i <= count; ++i) {
        ComPtr<ITaskFolder> child;
        Bstr childPath;
        HRESULT itemHr =
            children->get_Item(IndexVariant(i), reinterpret_cast<ITaskFolder**>(child.Out()));
        if (SUCCEEDED(itemHr)) {
            itemHr = child->get_Path(childPath.Out());
        }
        if (SUCCEEDED(itemHr)) {
            subfolders.push_back(childPath.text());
        }
        note(itemHr);
    }
}

// Every folder from the root down, without recursion.
HRESULT SystemListTasks(std::vector<ScheduledTaskInfo>& tasks) {
    const ComScope com(COINIT_MULTITHREADED);
    ComPtr<ITaskService> service;
    HRESULT hr = ConnectedService(service);
    if (FAILED(hr)) {
        return hr;
    }
    HRESULT failure = S_OK;
    std::deque<std::wstring> folders(1, L"\\");
    while (!folders.empty()) {
        const std::wstring path = folders.front();
        folders.pop_front();
        ComPtr<ITaskFolder> folder;
        hr = OpenFolder(service.get(), path, folder);
        if (FAILED(hr)) {
            if (!IsAccessDenied(hr) && SUCCEEDED(failure)) {
                failure = hr;
            }
            continue;
        }
        ListFolder(folder.get(), path, tasks, folders, failure);
    }
    return failure;
}

HRESULT SystemReadTask(const std::wstring& path, ScheduledTaskInfo& task) {
    return WithTask(path, [&path, &task](IRegisteredTask* registered) {
        std::wstring folder;
        std::wstring name;
        SplitTaskPath(path, folder, name);
        return ReadRegistered(registered, folder, task);
    });
}

HRESULT SystemSetEnabled(const std::wstring& path, bool enabled) {
    return WithTask(path, [enabled](IRegisteredTask* registered) {
        return registered->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE);
    });
}

std::mutex g_schedulerLock;
TaskScheduler g_scheduler = SystemTaskScheduler();

ScheduledTaskRead ReadWith(const TaskScheduler& scheduler) {
    ScheduledTaskRead read;
    std::vector<ScheduledTaskInfo> tasks;
    try {
        read.failure = scheduler.listTasks(tasks);
        read.rows = ScheduledTaskRows(tasks);
    } catch (const std::bad_alloc&) {
        read.failure = E_OUTOFMEMORY;
    } catch (...) {
        read.failure = E_UNEXPECTED;
    }
    return read;
}

} // namespace

TaskScheduler SystemTaskScheduler() {
    TaskScheduler system;
    system.listTasks = &SystemListTasks;
    system.readTask = &SystemReadTask;
    system.setEnabled = &SystemSetEnabled;
    return system;
}

TaskScheduler CurrentTaskScheduler() {
    const std::lock_guard<std::mutex> hold(g_schedulerLock);
    return g_scheduler;
}

void SetTaskSchedulerForTests(const TaskScheduler* scheduler) {
    const std::lock_guard<std::mutex> hold(g_schedulerLock);
    g_scheduler = scheduler != nullptr ? *scheduler : SystemTaskScheduler();
}

std::wstring TaskPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') {
        return folder + name;
    }
    return folder + L"\\" + name;
}

std::vector<StartupEntry> ScheduledTaskRows(const std::vector<ScheduledTaskInfo>& tasks) {
    std::vector<StartupEntry> rows;
    for (const ScheduledTaskInfo& task : tasks) {
        const TaskDefinition definition = ParseTaskXml(task.xml);
        if (!StartsProgramAtLogonOrBoot(definition)) {
            continue;
        }
        StartupEntry row;
        if (!NarrowExactly(task.name, row.title)) {
            row.exactName = task.name;
        }
        const TaskExec& exec = definition.execs.front();
        std::wstring command = exec.command;
        if (command.find(L' ') != std::wstring::npos && command.front() != L'"') {
            command = L"\"" + command + L"\"";
        }
        if (!exec.arguments.empty()) {
            command += L" " + exec.arguments;
        }
        row.command = Narrow(command);
        row.location = ScheduledTaskLocationString(Narrow(task.folder));
        row.checked = true;
        row.switchedOff = !task.enabled;
        row.icon = kIconOfCommand;
        rows.push_back(std::move(row));
    }
    return rows;
}

ScheduledTaskRead ReadScheduledTasks() {
    return ReadWith(CurrentTaskScheduler());
}

// What the reader and the refresh share; the last of them to let go of it
// frees it.
struct ScheduledTaskReadBeside::Shared {
    TaskScheduler scheduler;
    ScheduledTaskRead read;
};

ScheduledTaskReadBeside::ScheduledTaskReadBeside(DWORD waitMilliseconds)
    : wait_(waitMilliseconds), shared_(std::make_shared<Shared>()) {
    shared_->scheduler = CurrentTaskScheduler();
    auto* forThread = new std::shared_ptr<Shared>(shared_);
    thread_.Reset(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Read, forThread, 0, nullptr)));
    if (!thread_.valid()) {
        delete forThread;
    }
}

ScheduledTaskRead ScheduledTaskReadBeside::Rows() {
    if (!thread_.valid()) {
        return ReadWith(shared_->scheduler);
    }
    if (WaitForSingleObject(thread_.get(), wait_) != WAIT_OBJECT_0) {
        ScheduledTaskRead none;
        none.failure = HRESULT_FROM_WIN32(WAIT_TIMEOUT);
        return none;
    }
    return std::move(shared_->read);
}

unsigned __stdcall ScheduledTaskReadBeside::Read(void* param) {
    const std::unique_ptr<std::shared_ptr<Shared>> own(
        static_cast<std::shared_ptr<Shared>*>(param));
    Shared& shared = **own;
    shared.read = ReadWith(shared.scheduler);
    return 0;
}

TaskStateNow ReadScheduledTaskNow(const LocationClass& place, const StartupEntry& entry) {
    TaskStateNow now;
    ScheduledTaskInfo task;
    const TaskScheduler scheduler = CurrentTaskScheduler();
    if (SUCCEEDED(scheduler.readTask(TaskPath(Wide(place.taskFolder), ExactNameOf(entry)), task))) {
        now.exists = true;
        now.on = task.enabled;
    }
    return now;
}

TaskSwitchOutcome SwitchScheduledTask(const LocationClass& place, const StartupEntry& entry,
                                      bool on) {
    const TaskScheduler scheduler = CurrentTaskScheduler();
    const std::wstring path = TaskPath(Wide(place.taskFolder), ExactNameOf(entry));
    TaskSwitchOutcome outcome;
    HRESULT hr = scheduler.setEnabled(path, on);
    ScheduledTaskInfo task;
    if (SUCCEEDED(hr)) {
        // Never taken for done on the write's word alone.
        hr = scheduler.readTask(path, task);
    }
    if (IsMissing(hr)) {
        outcome.result = TaskSwitchResult::Gone;
    } else if (IsAccessDenied(hr)) {
        outcome.result = TaskSwitchResult::AccessDenied;
    } else if (FAILED(hr)) {
        outcome.result = TaskSwitchResult::Failed;
    } else {
        outcome.result = task.enabled == on ? TaskSwitchResult::Done : TaskSwitchResult::NotTaken;
    }
    outcome.code = static_cast<long>(hr);
    return outcome;
}

} // namespace kv
