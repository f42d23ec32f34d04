#include "entries/delayed_starts.h"

#include "entries/startup_entry.h"

#include <algorithm>

namespace kv {

long long DelayDueMs(int delaySeconds) {
    return static_cast<long long>(std::min(delaySeconds, kMaxDelaySeconds)) * 1000;
}

std::vector<PlannedStart> PlanDelayedStarts(const std::vector<DelayedItem>& items, long long nowMs,
                                            long long lastStartMs) {
    std::vector<PlannedStart> plan;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].delaySeconds > 0 && !items[i].running) {
            plan.push_back({i, DelayDueMs(items[i].delaySeconds)});
        }
    }
    // By delay; equal delays keep the items' order.
    std::stable_sort(plan.begin(), plan.end(), [](const PlannedStart& a, const PlannedStart& b) {
        return a.atMs < b.atMs;
    });
    long long previous = lastStartMs;
    for (PlannedStart& start : plan) {
        start.atMs = std::max(start.atMs, nowMs);
        if (previous != kNoStartYet) {
            start.atMs = std::max(start.atMs, previous + kStartSpacingMs);
        }
        previous = start.atMs;
    }
    return plan;
}

bool AnyDelayed(const std::vector<StartupEntry>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [](const StartupEntry& entry) { return entry.delaySeconds > 0; });
}

} // namespace kv
