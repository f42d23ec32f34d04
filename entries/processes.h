// The running processes of the system, by the file names of their programs.
//
// The process-snapshot functions are looked up in kernel32 at run time: a
// system without them runs the program without running status.
#pragma once

#include <string>
#include <unordered_set>

namespace kv {

// True when kernel32 has CreateToolhelp32Snapshot, Process32First and
// Process32Next.
bool ProcessFunctionsAvailable();

// A file name lower-cased by the system's own rule for its code page, so that
// "NOTEPAD.EXE" and "notepad.exe", or Cyrillic names in either case, compare
// equal.
std::string LowerFileName(const std::string& name);

// The program name of a program path: the text after its last backslash (the
// whole path when it has none), lower-cased.
std::string ProgramName(const std::string& programPath);

// The lower-cased file names of the running processes' programs; empty when
// the snapshot functions are missing or the snapshot cannot be taken.
std::unordered_set<std::string> RunningProcessNames();

enum class StopResult {
    NotRunning, // no process of that name
    Stopped,    // the first process of that name has ended
    Failed,     // it could not be opened or did not end
};

// Ends the first process (in snapshot order) whose program name is `name`
// (lower-cased, as ProgramName gives it) with the exit code 1, and waits a
// couple of seconds for it to be gone. The calling process itself is passed
// over.
StopResult StopFirstProcessNamed(const std::string& name);

} // namespace kv
