#include "moves/task_moves.h"

#include "base/strings.h"
#include "entries/task_switch.h"
#include "moves/move_steps.h"
#include "moves/move_texts.h"
#include "records/change_snapshot.h"
#include "resource.h"

#include <cstdio>

namespace kv {

namespace {

std::string CodeText(long code) {
    char hex[16];
    std::snprintf(hex, sizeof(hex), "0x%08lX", static_cast<unsigned long>(code));
    return hex;
}

// Why a switch did not turn, in the words of the status bar.
std::string SwitchFailureText(const StartupEntry& entry, const TaskSwitchOutcome& switched) {
    const std::string head = LoadText(IDS_SVC) + entry.title;
    switch (switched.result) {
    case TaskSwitchResult::ByPolicy:
        return LoadText(IDS_BY_POLICY);
    case TaskSwitchResult::Gone:
        return GoneText(entry);
    case TaskSwitchResult::AccessDenied:
        return head + LoadText(IDS_TASK_DENIED) + CodeText(switched.code) + ")";
    case TaskSwitchResult::NotTaken:
        return head + LoadText(IDS_TASK_NOT_TAKEN);
    case TaskSwitchResult::Failed:
    case TaskSwitchResult::Done:
        break;
    }
    return head + LoadText(IDS_TASK_FAILED) + CodeText(switched.code) + ")";
}

} // namespace

MoveOutcome SwitchTaskOf(const StartupEntry& shown, bool on) {
    const TaskStateNow now = ReadTaskNow(shown);
    if (!now.exists) {
        return Outcome(MoveResult::Stale, shown, GoneText(shown));
    }
    if (now.byPolicy) {
        return Outcome(MoveResult::Refused, shown, LoadText(IDS_BY_POLICY));
    }
    const std::string done = on ? EnabledText(shown) : DisabledText(shown);
    if (now.on != on) {
        const TaskSwitchOutcome switched = SwitchTask(shown, on);
        if (switched.result != TaskSwitchResult::Done) {
            const MoveResult result = switched.result == TaskSwitchResult::Gone
                                          ? MoveResult::Stale
                                          : switched.result == TaskSwitchResult::ByPolicy
                                                ? MoveResult::Refused
                                                : MoveResult::Failed;
            return Outcome(result, shown, SwitchFailureText(shown, switched));
        }
    }
    // The snapshot holds the tasks that are on: Windows starts them.
    StartupEntry entry = shown;
    entry.checked = true;
    if (on) {
        SnapshotMoveEntries({entry}, {entry}); // in it once, however often turned on
    } else {
        SnapshotRemoveEntry(entry);
    }
    return Outcome(MoveResult::Done, entry, done);
}

std::vector<MoveOutcome> SwitchTasksAsListed(const std::vector<StartupEntry>& listed) {
    std::vector<MoveOutcome> failed;
    for (const StartupEntry& task : listed) {
        const TaskStateNow now = ReadTaskNow(task);
        if (!now.exists || now.on == task.checked) {
            continue; // never added; already as listed
        }
        const MoveOutcome outcome = SwitchTaskOf(task, task.checked);
        if (!outcome.done()) {
            failed.push_back(outcome);
        }
    }
    return failed;
}

} // namespace kv
