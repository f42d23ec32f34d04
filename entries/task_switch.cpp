#include "entries/task_switch.h"

namespace kv {

TaskStateNow ReadTaskNow(const StartupEntry& entry) {
    const LocationClass place = ClassifyLocationIn(entry.location, std::string(), std::string());
    if (place.kind == LocationKind::PackagedTask) {
        return ReadPackagedTaskNow(place);
    }
    if (place.kind == LocationKind::ScheduledTask) {
        return ReadScheduledTaskNow(place, entry);
    }
    return TaskStateNow();
}

TaskSwitchOutcome SwitchTask(const StartupEntry& entry, bool on) {
    const LocationClass place = ClassifyLocationIn(entry.location, std::string(), std::string());
    if (place.kind == LocationKind::PackagedTask) {
        return SwitchPackagedTask(place, on);
    }
    if (place.kind == LocationKind::ScheduledTask) {
        return SwitchScheduledTask(place, entry, on);
    }
    TaskSwitchOutcome outcome;
    outcome.result = TaskSwitchResult::Gone;
    return outcome;
}

} // namespace kv
