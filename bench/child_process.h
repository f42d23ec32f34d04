// This program started again as a child process for a measurement that must
// not count the benchmark itself, and the numbers the child hands back
// through a file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kvbench {

// The path of this program.
std::string SelfPath();

// Starts the command line and waits for its end; whether it ended within
// `timeoutMs`. A child that does not end in time is ended; either failure is
// noted as an unmet expectation about `what`. Its exit code goes to
// `exitCode` when one is given. With `quiet` its standard handles are NUL.
bool RunToEnd(std::string commandLine, const std::string& what, DWORD* exitCode = nullptr,
              bool quiet = false);

// The program's main window for a measuring child, with its user data in
// `folder`; it stays hidden, and without the timed check and the watch, which
// would ask about the set the benchmark itself changes behind a box nobody
// answers.
// Null when it cannot be made.
HWND CreateChildMainWindow(const std::string& folder);

// Asks the program's main window (none: null) to close, waits up to 30 s
// for the process to end and ends it after that; its handles are closed.
void CloseProgram(PROCESS_INFORMATION& info, HWND window);

// The numbers as one line of decimal numbers; and read back (none when the
// file holds none).
void WriteNumbers(const std::string& path, const std::vector<unsigned long long>& numbers);
std::vector<unsigned long long> ReadNumbers(const std::string& path);

} // namespace kvbench
