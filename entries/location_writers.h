// Writers: put a program into a startup location. None of them touches the
// list; each says what it did, and the caller tells the user and refreshes.
#pragma once

#include "entries/location_outcome.h"

#include <string>

namespace kv {

// The command a writer stores for a program and its arguments: the program
// path, quoted when it holds a blank and is not quoted already, then one
// blank and the arguments when there are any.
std::string JoinCommand(const std::string& programPath, const std::string& arguments);

// A REG_SZ value under a Run-type key ("HKCU" selects HKEY_CURRENT_USER, any
// other root name HKEY_LOCAL_MACHINE) holding the command exactly as given;
// the key is created when missing and an existing value of the name is
// replaced.
LocationOutcome AddRegistryCommand(const std::string& rootName, const std::string& keyPath,
                                   const std::string& valueName, const std::string& command);

// AddRegistryCommand with the command that JoinCommand makes of a program and
// its arguments.
LocationOutcome AddRegistryValue(const std::string& rootName, const std::string& keyPath,
                                 const std::string& valueName, const std::string& programPath,
                                 const std::string& arguments);

// A REG_SZ value holding the command exactly as given in a section of a
// RunOnceEx key under HKEY_LOCAL_MACHINE (`sectionKey`: the section's key
// path); the section is created when missing. The section's caption is not
// written.
LocationOutcome AddRunOnceExCommand(const std::string& valueName, const std::string& command,
                                    const std::string& sectionKey);

// AddRunOnceExCommand with the command that JoinCommand makes.
LocationOutcome AddRunOnceExValue(const std::string& valueName, const std::string& programPath,
                                  const std::string& arguments, const std::string& sectionKey);

// A value of any type, byte for byte, as it was before it left its key; the
// key is created when missing and an existing value of the name is replaced.
// When the key can be neither opened nor created, the outcome asks for the
// given message box.
LocationOutcome SetRegistryValueExactly(const std::string& rootName, const std::string& keyPath,
                                        const std::string& valueName, unsigned long type,
                                        const std::string& bytes, OutcomeBox boxWhenKeyFails);

// The file a shortcut of this name gets in the folder: ".lnk" is appended
// unless the name already ends in ".lnk" or ".pif" (any letter case).
std::string ShortcutFilePath(const std::string& folder, const std::string& linkName);

// A shell link in a Startup folder to the program with the arguments. An empty
// folder writes nothing and says nothing; a link that cannot be made (no
// shell link object, or it cannot be saved) is a failure with its message box.
LocationOutcome CreateStartupShortcut(const std::string& folder, const std::string& linkName,
                                      const std::string& programPath, const std::string& arguments);

// Saves at `destination` the shell link of the file `source` with a new
// program and arguments; every other property of the link (working folder,
// description, icon, show state, hot key) stays as it was. False when the
// source is no shell link or the new file cannot be saved.
bool SaveShellLinkRetargeted(const std::string& source, const std::string& destination,
                             const std::string& programPath, const std::string& arguments);

// Puts the kept copy of a Startup-folder file back under its own name (its
// exact name when `exactName` is given). A file of that name that is there
// already is not replaced: the outcome is a failure.
LocationOutcome RestoreStartupFile(const std::string& keptPath, const std::string& folder,
                                   const std::string& fileName,
                                   const std::wstring& exactName = std::wstring());

// A value of any type through the wide calls: its exact name, and its bytes
// as the wide calls take them; the key is created when missing.
LocationOutcome SetRegistryValueWide(const std::string& rootName, const std::string& keyPath,
                                     const std::wstring& valueName, const std::string& title,
                                     unsigned long type, const std::string& wideBytes,
                                     OutcomeBox boxWhenKeyFails);

// Appends the program to win.ini's "run" or "load" line, in its short (8.3)
// form when it names an existing file, so that the line keeps one item per
// program; or, without `shortForm`, exactly as given (an item that stood in
// the line before).
LocationOutcome AddWinIniItem(const std::string& program, const std::string& parameter,
                              bool shortForm = true);

// The short (8.3) form of an existing path, or the text unchanged.
std::string ShortPathOrSame(const std::string& path);

} // namespace kv
