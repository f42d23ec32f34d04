// The switch of a task (a packaged app's startup task or a scheduled task):
// what it says now, and turning it on or off. A task stays where it is; only
// its switch changes, and every change is read back.
#pragma once

#include "entries/catalogue.h"
#include "entries/startup_entry.h"

namespace kv {

// What a task's switch says at this moment.
struct TaskStateNow {
    bool exists = false;   // the task is there (its package installed, its task registered)
    bool on = false;       // Windows starts it
    bool byPolicy = false; // a policy holds the switch: the user cannot change it
};

enum class TaskSwitchResult {
    Done,         // the switch says what was asked, read back after the write
    ByPolicy,     // a policy holds the switch; nothing was written
    Gone,         // the task is not there any more; nothing was written
    AccessDenied, // the system refused the change
    NotTaken,     // the write answered, but reading back shows the old state
    Failed,       // another failure; `code` says which
};

struct TaskSwitchOutcome {
    TaskSwitchResult result = TaskSwitchResult::Failed;
    long code = 0; // the system's error code (an HRESULT or a Win32 code) where there is one
};

// What the task of this entry says now (its location names the task's
// place: the state key of a packaged task, or a scheduler folder and, as the
// title or exact name, the task's name).
TaskStateNow ReadTaskNow(const StartupEntry& entry);
// Turns the entry's task on or off, and reads it back.
TaskSwitchOutcome SwitchTask(const StartupEntry& entry, bool on);

// The same for each kind, the place classified.
TaskStateNow ReadPackagedTaskNow(const LocationClass& place);
TaskSwitchOutcome SwitchPackagedTask(const LocationClass& place, bool on);
TaskStateNow ReadScheduledTaskNow(const LocationClass& place, const StartupEntry& entry);
TaskSwitchOutcome SwitchScheduledTask(const LocationClass& place, const StartupEntry& entry,
                                      bool on);

} // namespace kv
