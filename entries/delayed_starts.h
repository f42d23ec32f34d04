// When delayed entries start: the plan of their starts counted from this
// program's own start, without touching the system.
#pragma once

#include "entries/startup_entry.h"

#include <cstddef>
#include <vector>

namespace kv {

// The least time between two starts: a later start waits for it.
constexpr long long kStartSpacingMs = 2000;
// `lastStartMs` when nothing has started yet.
constexpr long long kNoStartYet = -1;

struct DelayedItem {
    int delaySeconds = 0; // its delay; 0 or less: not delayed, never planned
    bool running = false; // its program runs now: it is not started again
};

struct PlannedStart {
    std::size_t item = 0; // index into the items
    long long atMs = 0;   // when, counted from this program's start
};

// The starts still to make, in the order they are made: by delay (equal
// delays in the items' order), each at its delay, but never sooner than
// `nowMs` nor sooner than kStartSpacingMs after the start before it (the
// previous one made at `lastStartMs`, or the one planned before it). A
// running item is skipped and takes no turn. Delays beyond kMaxDelaySeconds
// count as kMaxDelaySeconds.
std::vector<PlannedStart> PlanDelayedStarts(const std::vector<DelayedItem>& items, long long nowMs,
                                            long long lastStartMs = kNoStartYet);

// When a delay has passed, in milliseconds from this program's start; a
// delay beyond kMaxDelaySeconds counts as kMaxDelaySeconds.
long long DelayDueMs(int delaySeconds);

// True when any of the entries is delayed.
bool AnyDelayed(const std::vector<StartupEntry>& entries);

} // namespace kv
