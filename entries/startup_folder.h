// The two Startup folders: where the registry says they are, and the entries
// in them, with shell links followed to their targets.
#pragma once

#include "entries/startup_entry.h"

#include <string>
#include <vector>

namespace kv {

// Folder selectors.
constexpr int kCurrentUserStartup = 0;
constexpr int kAllUsersStartup = 1;

// The key below HKCU and HKLM that names the shell's special folders.
extern const char* const kShellFoldersKey;

// The Startup folder path as the Shell Folders key stores it: the value
// "Startup" under HKCU for selector 0, "Common Startup" under HKLM for any
// other selector, the name in any case; empty when there is no such value.
std::string GetStartupFolderPath(int selector);

// How the targets of shell links are read: resolved by the shell (without
// search, tracking or any user interface), or as the link stores them, which
// asks nothing of the target's drive or network path.
enum class LinkTargets { Resolved, AsStored };

// One row per file or subfolder of the Startup folder, in the order the file
// system lists them. A shell link's row names its target and arguments; any
// other entry, and a link that cannot be read, names its own full path.
std::vector<StartupEntry> ScanStartupFolder(int selector,
                                            LinkTargets targets = LinkTargets::Resolved);

// True when the file loads as a shell link, whatever its name.
bool IsShellLinkFile(const std::string& path);

} // namespace kv
