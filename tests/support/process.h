// Starting the real program for end-to-end tests.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kvtest {

// The folder of the running test program (Kelvorin.exe is built beside it).
std::string TestProgramDirectory();

// A started process, ended (if still running) when the object goes.
class ChildProcess {
  public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `commandLine` in `directory`, with `output` (an inheritable
    // handle) as its standard output when one is given; false when it cannot
    // be started, with the reason added to the test's failure.
    bool Start(const std::string& commandLine, const std::string& directory,
               HANDLE output = nullptr);
    // Waits for the exit; returns the exit code, or -1 on time-out.
    long Wait(DWORD milliseconds);
    // Ends the process at once if it is still running, as the system ends the
    // processes of a session, and waits until it is gone.
    void Terminate();
    // Waits until the process waits for input (its start-up is over); false
    // on time-out.
    bool WaitUntilIdle(DWORD milliseconds) const;
    DWORD id() const { return info_.dwProcessId; }
    // The process's top-level window of this class, waiting up to the time.
    HWND FindWindowOfClass(const std::string& className, DWORD milliseconds) const;
    // The program's main window once its start-up is over and it is shown
    // (under Wine the program may wait for input a moment before that); null
    // when it is not shown within the time.
    HWND ShownMainWindow(DWORD milliseconds) const;

  private:
    PROCESS_INFORMATION info_{};
};

// Copies Kelvorin.exe into the folder; returns the copy's path.
std::string CopyProgramInto(const std::string& folder);

// Ids of the running processes whose program file has this name (any letter
// case), from a snapshot of the system's processes.
std::vector<DWORD> ProcessIdsNamed(const std::string& fileName);
// Ends every process whose program file has this name, and waits for each.
void EndProcessesNamed(const std::string& fileName);

} // namespace kvtest
