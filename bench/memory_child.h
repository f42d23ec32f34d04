// The working set of a process that lists 10,000 entries: the program's, or
// that of a bare virtual list of the same rows. Each is measured in a
// process of its own (this program started again), so that nothing of the
// benchmark itself is counted.
#pragma once

#include <string>

namespace kvbench {

// The child started as "--memory FOLDER RESULT": the program's window with
// its settings in FOLDER, 10,000 registry entries, one refresh; writes the
// row count and the working set in bytes to RESULT. Its exit code.
int MeasureMemory(const std::string& folder, const std::string& resultPath);
// The child started as "--memory-floor FOLDER RESULT": the same 10,000 rows,
// with their four texts, icon and box, in a bare virtual report list whose
// parent keeps each row's texts in strings of their own.
int MeasureMemoryFloor(const std::string& resultPath);

// Starts the child (the floor's with `floor`) with its files in
// `programFolder` and waits for it; the working set in bytes, 0 when it gave
// none.
unsigned long long MeasureMemoryInChild(const std::string& programFolder, bool floor);

} // namespace kvbench
