// The platform calls a refresh cannot do without, made directly: the floors
// of the refresh and of the cold start share them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace kvbench {

// The values of the six Run-type keys and of the subkeys of Run, RunOnce
// (both roots) and RunOnceEx, names and data read; how many were read.
int ReadRunKeys();

// The installed packaged apps: each package's key and its PackageRootFolder
// read, its manifest read whole and parsed once by the platform's XML
// reader, and the State value of each task key named (paths below HKCU);
// how many manifests were parsed.
int ReadPackages(const std::vector<std::string>& taskStateKeys);

// The shell links of both Startup folders loaded and resolved, their targets
// and arguments read; how many were read. COM is already initialised.
int ReadStartupLinks();

// win.ini's "run" and "load" lines.
void ReadWinIniLines();

// The whole file read in chunks; its size in bytes, 0 when it is missing.
std::size_t ReadWholeFile(const std::string& path);

// The process list walked; how many processes there are.
int CountProcesses();

// The system image list index of the file's icon.
int ShellIcon(const std::string& path);

} // namespace kvbench
