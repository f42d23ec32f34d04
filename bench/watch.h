// The real-time watch measured: how soon the real program asks about a value
// that an outside process writes, and what the watch costs while nothing
// changes (checks run and processor time, beside a bare program that only
// waits on the same notifications).
#pragma once

#include "bench/scenarios.h"

#include <string>

namespace kvbench {

// Kelvorin.exe in the tray over the set of the run: an outside write of a new Run value
// until its question box exists, beside one check of the same set.
Figures WatchLatency(Bench& bench);

// The program's own window with its watch over 60 s without a change: the
// checks run (none is right) and the processor time, beside the bare
// program's.
Figures WatchIdle(Bench& bench);

// The bare program, started as "--watch-floor SECONDS RESULT": arms the same
// notifications, waits the time, and writes the processor time it used
// while waiting (in 100 ns units) and how many notifications fired.
int RunWatchFloor(int seconds, const std::string& resultPath);

} // namespace kvbench
