// Growth over time: a process of its own (this program started as
// "--growth FOLDER RESULT") with the program's main window shown makes 100
// refreshes and 20 bulk changes, and hands back how much its private memory
// and its GDI objects, USER objects and handles grew meanwhile.
#pragma once

#include "bench/figures.h"

#include <string>

namespace kvbench {

// The child: settings in FOLDER, its own startup set; writes its counts
// before and after to RESULT. Its exit code.
int MeasureGrowth(const std::string& folder, const std::string& resultPath);

// Starts the child with its files in `programFolder` and waits for it; the
// figures "growth-memory-100" (MB) and "growth-objects-100" (the objects and
// handles gained, summed over the three counts; none lost is counted).
Figures GrowthInChild(const std::string& programFolder);

} // namespace kvbench
