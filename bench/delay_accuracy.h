// Delayed starts measured: the real program started as at logon
// ("/m /startup") with 20 delayed entries, and how late each start came.
#pragma once

#include "bench/scenarios.h"

namespace kvbench {

// 20 delayed Run values (delays of 1 to 10 s), each the start recorder, and
// the real program started with "/startup" over the set of the run: the
// largest lateness of a start beyond its planned moment (its delay counted
// from the program's process creation, or 2 s after the start before it),
// beside one refresh of the set, and the ratio of the two. One run: the
// starts alone take some 40 s.
Figures DelayAccuracy(Bench& bench);

} // namespace kvbench
