// The one refresh of the entry list.
#pragma once

#include "entries/startup_entry.h"

#include <vector>

namespace kv {

// Empties the entry list and refills it from every startup location in their
// fixed order, marks what was read as enabled, adds the disabled entries (an
// entry found both in its location and in the store is shown once, as
// enabled, and its record leaves the store), writes report.ini, sorts by the
// last sort column and direction, and reports in the status bar.
void ScanDriver();

// True when the last refresh could not read the task scheduler whole: its
// logon tasks are not known, and none may be taken for gone.
bool ScheduledTasksUnread();
// When the last refresh could not read the scheduler, adds the scheduled
// tasks the snapshot holds to `entries`: they stand for what it would list.
void AddUnreadScheduledTasks(std::vector<StartupEntry>& entries);
bool IsScheduledTask(const StartupEntry& entry);

// The startup set without a window: every location's entries (checked) and
// the disabled ones (unchecked) that are not in their locations as well, in
// the order a first refresh shows them. Nothing is written.
std::vector<StartupEntry> ReadStartupSet();

} // namespace kv
