// The plan of delayed starts on plain data: order, spacing, skips.
#include "entries/delayed_starts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A plan as "item@ms item@ms ...", to compare whole plans in one line.
std::string PlanText(const std::vector<kv::PlannedStart>& plan) {
    std::string text;
    for (const kv::PlannedStart& start : plan) {
        text += (text.empty() ? "" : " ") + std::to_string(start.item) + "@" +
                std::to_string(start.atMs);
    }
    return text;
}

TEST(DelayedStartPlan, OrderSpacingAndSkips) {
    using Items = std::vector<kv::DelayedItem>;
    struct Case {
        const char* what;
        Items items;
        long long nowMs;
        long long lastStartMs;
        std::string plan;
    };
    const Case cases[] = {
        {"nothing delayed", {}, 0, kv::kNoStartYet, ""},
        {"by delay, not by item", {{30, false}, {10, false}, {20, false}}, 0, kv::kNoStartYet,
         "1@10000 2@20000 0@30000"},
        {"equal delays keep the items' order, 2 s apart", {{5, false}, {5, false}, {5, false}}, 0,
         kv::kNoStartYet, "0@5000 1@7000 2@9000"},
        {"a close later one waits, a far one keeps its delay",
         {{1, false}, {2, false}, {10, false}}, 0, kv::kNoStartYet, "0@1000 1@3000 2@10000"},
        {"a running one is skipped and takes no turn", {{1, false}, {1, true}, {2, false}}, 0,
         kv::kNoStartYet, "0@1000 2@3000"},
        {"not delayed: never planned", {{0, false}, {-3, false}, {4, false}}, 0, kv::kNoStartYet,
         "2@4000"},
        {"overdue ones start now, then 2 s apart", {{1, false}, {3, false}, {60, false}}, 5000,
         kv::kNoStartYet, "0@5000 1@7000 2@60000"},
        {"the last start made holds the next back", {{10, false}, {11, false}}, 10000, 9500,
         "0@11500 1@13500"},
        {"a start made long ago holds nothing back", {{10, false}}, 10000, 1000, "0@10000"},
        {"a delay beyond the longest counts as the longest", {{1000000000, false}}, 0,
         kv::kNoStartYet, "0@3600000"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(test.plan, PlanText(kv::PlanDelayedStarts(test.items, test.nowMs,
                                                            test.lastStartMs)))
            << test.what;
    }
}

} // namespace
