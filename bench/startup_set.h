// Filling and clearing the startup set of the prefix the benchmark runs in:
// the Run-type keys, both Startup folders and the win.ini "run" line.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kvbench {

// Commands of mixed forms: quoted, with blanks, bars, bare names, missing files.
std::string CommandFor(int i);

// `total` values spread over the six Run-type keys, subkeys of Run and
// RunOnce, and sections of RunOnceEx; returns how many were written.
int FillRegistry(int total);
// Shortcuts spread over both Startup folders, to existing and missing
// programs, some with arguments; returns how many were made.
int FillStartupFolders(int total);
// One win.ini "run" line of bare names, full paths and missing programs;
// returns its item count, 0 when it could not be written.
int FillWinIni(int items);

// `total` installed packaged apps, each a package key naming its folder
// below `folder` and the manifest in that folder; the first `withTask` of
// them declare a startup task, every other one of those with its State
// value written. Returns how many packages were made.
int FillPackages(int total, int withTask, const std::string& folder);
// Every package key and task state removed.
void ClearPackages();

// REG_SZ values, names[i] = data[i], written into one key.
void WriteStringValues(HKEY root, const std::string& keyPath, const std::vector<std::string>& names,
                       const std::vector<std::string>& data);
DWORD ValueCount(HKEY root, const std::string& keyPath);

// Every Run-type key emptied, RunOnceEx and the packages removed.
void ClearStartupRegistry();
// Both Startup folders emptied, win.ini's "run" and "load" removed.
void ClearFoldersAndWinIni();

// Removes the folder with everything in it.
void DeleteFolderTree(const std::string& folder);

} // namespace kvbench
