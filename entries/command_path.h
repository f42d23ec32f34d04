// Finding the program file behind a startup command, and its arguments.
//
// A command is free text: a path that may hold blanks and may be quoted,
// followed by arguments; a RunOnceEx line with bars; or a bare program name
// that Windows finds in its own directories. The path is grown word by word
// and the file system is asked after each word whether it exists, first as
// written, then in the Windows directory, then in the System directory.
#pragma once

#include <functional>
#include <string>

namespace kv {

enum class ResolveMode {
    ProgramPath = 0, // the program file
    Arguments = 1,   // what follows the program on its command line
};

// What the resolution asks of the system.
struct PathEnvironment {
    std::string windowsDirectory;
    std::string systemDirectory;
    std::function<bool(const std::string&)> exists; // a file or a directory
    // The command with its environment variables expanded; none: as it is.
    std::function<std::string(const std::string&)> expand;
};

// The rule itself, against any environment.
std::string ResolveCommandPathIn(const std::string& command, ResolveMode mode,
                                 const PathEnvironment& env);

// The program file a command starts, as Windows finds it: the command's
// environment variables (%NAME%) expanded first, as for an expandable
// registry value, then resolved. For the icon, the running status, run,
// open folder and properties; the command itself stays as stored.
std::string ResolveProgramFileIn(const std::string& command, const PathEnvironment& env);
std::string ResolveProgramFile(const std::string& command);

// The text with this process's environment variables expanded, whatever its
// length; false when the system cannot expand it.
bool ExpandEnvironmentText(const std::string& text, std::string& expanded);
bool ExpandEnvironmentText(const std::wstring& text, std::wstring& expanded);

// The command with this process's environment variables expanded; the
// command itself when it names none or cannot be expanded.
std::string ExpandedCommand(const std::string& command);

// The Windows and System directories and existence checks of this system.
PathEnvironment SystemPathEnvironment();

// ResolveCommandPathIn against this system.
std::string ResolveCommandPath(const std::string& command, ResolveMode mode);

// The path at which this process reaches the file that Windows starts for
// `path`. A 32-bit process on 64-bit Windows (`wow64`) is shown the 32-bit
// twin of the System folder under the System folder's own name (file-system
// redirection), while Windows starts the native programs from there; such a
// process reaches those through the alias "Sysnative" beside it. So a path in
// "<windows>\System32" (any letter case, either slash) is given there, and
// every other path, in every other process, is itself. Every look-up of a
// program file (existence, icon, description, properties, start) goes
// through FileLookupPath; the path shown and stored stays as written.
std::string FileLookupPathIn(const std::string& windowsDirectory, bool wow64,
                             const std::string& path);
std::string FileLookupPath(const std::string& path);

// True when GetFileAttributesA finds the file Windows starts for the path (a
// file or a directory, looked up at FileLookupPath); inside a PathCacheScope
// the answer comes from that scope's folder listings.
bool PathExists(const std::string& path);

std::string WindowsDirectory();
std::string SystemDirectory();

} // namespace kv
