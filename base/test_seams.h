// The seams through which tests bring about what the real system will not do
// on demand (a refusal, a stall, a folder or function in place of the
// system's). Each is defined beside the code it changes; the program itself
// never calls them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace kv {

struct TaskScheduler;

// entries/registry.cpp. Tests stand in for a user without write rights: while
// blocked, every open or create that asks for write access fails as the
// registry would refuse it.
void SetRegistryWritesBlockedForTests(bool blocked);

// entries/processes.cpp. Tests stand in for a process of another user: while
// refused, opening a process to end it fails as the system would refuse it.
void SetProcessOpeningRefusedForTests(bool refused);

// records/settings_store.cpp. Tests run the program's code from a test
// program: they may name the folder that stands in for the program's own. An
// empty text restores the real one.
void SetExecutableDirectoryForTests(const std::string& directory);

// shell/scan_driver.cpp. The Startup folders' readers wait for `stall` to be
// set before they read, and a refresh waits for them `waitMilliseconds` at
// most; a null `stall` brings back the usual reading.
void SetFolderReadStallForTests(HANDLE stall, unsigned waitMilliseconds);

// entries/scheduled_tasks.cpp. The task scheduler's calls (list, read one,
// switch one) in place of the system's; a copy is taken, and null brings
// the system's back.
void SetTaskSchedulerForTests(const TaskScheduler* scheduler);

// shell/tray.cpp. While set, the shell is taken to refuse every icon.
void SetTrayIconRefusedForTests(bool refused);

// shell/startup_report.cpp. The Windows folder the report goes to, and the
// print request, in place of the system's. Empty and null restore them.
void SetReportFolderForTests(const std::string& folder);
void SetReportPrinterForTests(std::function<void(const std::string&)> print);

// shell/monitoring_timer.cpp. Tests need not wait minutes: a period in
// milliseconds that replaces the setting's while it is not 0.
void SetMonitoringPeriodForTests(unsigned milliseconds);

// dialogs/about_box.cpp. The function that hands a clicked link's target to
// the shell, in place of ShellExecuteA (so that no mail program or browser
// starts); null puts ShellExecuteA back.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND owner, LPCSTR verb, LPCSTR file,
                                                LPCSTR parameters, LPCSTR directory, INT show);
void SetShellExecuteForTests(ShellExecuteFunction function);

} // namespace kv
