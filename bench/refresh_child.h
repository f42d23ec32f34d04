// The registry refresh of a given number of entries, timed in a process of
// its own (this program started as "--refresh ENTRIES FOLDER RESULT"), so
// that neither the benchmark's earlier work nor its heap weighs on it.
#pragma once

#include <string>

namespace kvbench {

// The child: the program's window with its settings in FOLDER, a registry
// holding only ENTRIES values, one untimed refresh and then timed ones (kRuns,
// or more for fewer than 10,000 entries); writes the row count and the median
// in microseconds to RESULT.
int MeasureRefreshTime(int entries, const std::string& folder, const std::string& resultPath);

// Starts the child and waits for it; the median in milliseconds, 0 when it
// gave none.
double RefreshTimeInChild(int entries, const std::string& programFolder);

} // namespace kvbench
