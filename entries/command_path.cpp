#include "entries/command_path.h"

#include "entries/path_cache.h"

#include <windows.h>

#include <vector>

namespace kv {

namespace {

struct Word {
    std::string::size_type begin;
    std::string::size_type end; // one past the last character
};

std::vector<Word> SplitWords(const std::string& text) {
    std::vector<Word> words;
    std::string::size_type pos = 0;
    while (pos < text.size()) {
        const std::string::size_type begin = text.find_first_not_of(' ', pos);
        if (begin == std::string::npos) {
            break;
        }
        std::string::size_type end = text.find(' ', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        words.push_back({begin, end});
        pos = end;
    }
    return words;
}

// Grows the path word by word over one candidate. On success, `path` is the
// shortest prefix of words that exists and `lastEnd` the end of its last word.
bool ResolveCandidate(const std::string& candidate, const PathEnvironment& env, std::string& path,
                      std::string::size_type& lastEnd, bool& tookAll) {
    const std::vector<Word> words = SplitWords(candidate);
    if (words.empty()) {
        return false;
    }
    path = candidate.substr(words[0].begin, words[0].end - words[0].begin);
    for (std::size_t next = 1; next < words.size(); ++next) {
        if (env.exists(path)) {
            lastEnd = words[next - 1].end;
            tookAll = false;
            return true;
        }
        path += ' ';
        path += candidate.substr(words[next].begin, words[next].end - words[next].begin);
    }
    if (env.exists(path)) {
        lastEnd = words.back().end;
        tookAll = true;
        return true;
    }
    return false;
}

// Where the program of a command (without bars) lies: its path, and the end
// of its text in the command, from which its arguments follow.
struct ProgramPart {
    bool found = false;             // quoted, or a candidate resolved
    std::string path;               // the program path; the command less quotes when not found
    std::string::size_type end = 0; // one past the program in the text
    std::string arguments;          // what follows, less the one character after the program
};

ProgramPart LocateProgram(const std::string& text, const PathEnvironment& env,
                          bool checkQuotedPath) {
    ProgramPart part;
    std::string unquoted = text;
    std::string::size_type offset = 0; // where `unquoted` starts in the text
    if (!text.empty() && text[0] == '"') {
        const std::string::size_type closing = text.find('"', 1);
        if (closing != std::string::npos) {
            unquoted = text.substr(1, closing - 1);
            if (!checkQuotedPath) {
                // The quotes alone say where the program ends.
                part.found = true;
                part.path = unquoted;
                part.end = closing + 1;
                if (closing + 2 < text.size()) {
                    part.arguments = text.substr(closing + 2);
                }
                return part;
            }
        } else {
            unquoted = text.substr(1);
        }
        offset = 1;
    }
    part.path = unquoted;

    // Word growing over the command as written, then in the Windows and the
    // System directory.
    const std::string prefixes[3] = {
        std::string(),
        env.windowsDirectory + "\\",
        env.systemDirectory + "\\",
    };
    for (const std::string& prefix : prefixes) {
        const std::string candidate = prefix + unquoted;
        std::string path;
        std::string::size_type lastEnd = 0;
        bool tookAll = false;
        if (ResolveCandidate(candidate, env, path, lastEnd, tookAll)) {
            part.found = true;
            part.path = path;
            // A program inside the directory's own words ends before the
            // command does; its arguments are counted from the command's start.
            part.end = lastEnd > prefix.size() ? lastEnd - prefix.size() + offset : offset;
            if (!tookAll && lastEnd + 1 < candidate.size()) {
                part.arguments = candidate.substr(lastEnd + 1);
            }
            return part;
        }
    }
    return part;
}

} // namespace

std::string ResolveCommandPathIn(const std::string& command, ResolveMode mode,
                                 const PathEnvironment& env) {
    if (command.empty()) {
        return std::string();
    }
    // Bars: a RunOnceEx line is "dll|function|arguments"; "||command" carries
    // a plain command.
    const bool plainAfterBars = command.compare(0, 2, "||") == 0;
    const std::string text = plainAfterBars ? command.substr(2) : command;
    const std::string::size_type firstBar = command.find('|');

    if (mode == ResolveMode::ProgramPath) {
        const std::string program =
            plainAfterBars || firstBar == std::string::npos ? text : command.substr(0, firstBar);
        return LocateProgram(program, env, true).path;
    }

    const ProgramPart part = LocateProgram(text, env, false);
    if (!plainAfterBars && firstBar != std::string::npos) {
        // A bar in the arguments of an ordinary command belongs to them. Only
        // a RunOnceEx line, whose first bar follows its program at once, is
        // split at bars: its arguments are the text from the last bar on.
        const std::string::size_type argumentsStart =
            part.found ? command.find_first_not_of(' ', part.end) : std::string::npos;
        if (argumentsStart == std::string::npos || argumentsStart >= firstBar ||
            part.end > firstBar) {
            return command.substr(command.rfind('|'));
        }
    }
    return part.arguments;
}

std::string FileLookupPathIn(const std::string& windowsDirectory, bool wow64,
                             const std::string& path) {
    if (!wow64 || windowsDirectory.empty()) {
        return path;
    }
    std::string folder = windowsDirectory;
    if (folder.back() == '\\' || folder.back() == '/') {
        folder.pop_back();
    }
    const std::string system = folder + "\\System32";
    const auto isSeparator = [](char c) { return c == '\\' || c == '/'; };
    if (path.size() < system.size() ||
        (path.size() > system.size() && !isSeparator(path[system.size()]))) {
        return path;
    }
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t i = 0; i < system.size(); ++i) {
        const bool same = isSeparator(path[i]) ? isSeparator(system[i])
                                               : lower(path[i]) == lower(system[i]);
        if (!same) {
            return path;
        }
    }
    return folder + "\\Sysnative" + path.substr(system.size());
}

namespace {

// Whether this process is a 32-bit one on 64-bit Windows that reaches the
// native System folder through "Sysnative" (Windows before Vista may lack
// the alias), and the Windows directory; found once.
struct Redirection {
    std::string windowsDirectory;
    bool wow64 = false;
};

const Redirection& ThisProcessRedirection() {
    static const Redirection redirection = [] {
        Redirection found;
        found.windowsDirectory = WindowsDirectory();
        using IsWow64Function = BOOL(WINAPI*)(HANDLE, PBOOL);
        // Looked up: Windows before XP SP2 has no such function.
        const auto isWow64 = reinterpret_cast<IsWow64Function>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsWow64Process")));
        BOOL wow64 = FALSE;
        found.wow64 = isWow64 != nullptr && isWow64(GetCurrentProcess(), &wow64) && wow64 &&
                      GetFileAttributesA((found.windowsDirectory + "\\Sysnative").c_str()) !=
                          INVALID_FILE_ATTRIBUTES;
        return found;
    }();
    return redirection;
}

} // namespace

std::string FileLookupPath(const std::string& path) {
    const Redirection& redirection = ThisProcessRedirection();
    return FileLookupPathIn(redirection.windowsDirectory, redirection.wow64, path);
}

bool PathExists(const std::string& path) {
    const std::string lookup = FileLookupPath(path);
    // "Sysnative" is missing from its folder's listing (the alias is not
    // listed), which a cache answers from: only the system can say.
    PathCache* cache = lookup == path ? CurrentPathCache() : nullptr;
    if (cache != nullptr) {
        return cache->Exists(lookup);
    }
    return GetFileAttributesA(lookup.c_str()) != INVALID_FILE_ATTRIBUTES;
}

namespace {

std::string DirectoryFrom(UINT(WINAPI* query)(LPSTR, UINT)) {
    std::string buffer(MAX_PATH, '\0');
    UINT length = query(&buffer[0], static_cast<UINT>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.assign(length + 1, '\0');
        length = query(&buffer[0], static_cast<UINT>(buffer.size()));
    }
    buffer.resize(length < buffer.size() ? length : 0);
    return buffer;
}

} // namespace

std::string WindowsDirectory() {
    return DirectoryFrom(&GetWindowsDirectoryA);
}

std::string SystemDirectory() {
    return DirectoryFrom(&GetSystemDirectoryA);
}

PathEnvironment SystemPathEnvironment() {
    return PathEnvironment{WindowsDirectory(), SystemDirectory(), &PathExists, &ExpandedCommand};
}

std::string ResolveCommandPath(const std::string& command, ResolveMode mode) {
    return ResolveCommandPathIn(command, mode, SystemPathEnvironment());
}

std::string ResolveProgramFileIn(const std::string& command, const PathEnvironment& env) {
    return ResolveCommandPathIn(env.expand ? env.expand(command) : command,
                                ResolveMode::ProgramPath, env);
}

std::string ResolveProgramFile(const std::string& command) {
    return ResolveProgramFileIn(command, SystemPathEnvironment());
}

namespace {

// Grows the buffer to what the system asks for, a few times at most.
template <typename Char, DWORD(WINAPI* Expand)(const Char*, Char*, DWORD)>
bool ExpandVariables(const std::basic_string<Char>& text, std::basic_string<Char>& expanded) {
    std::vector<Char> buffer(text.size() + 256);
    for (int attempt = 0; attempt < 4; ++attempt) {
        const DWORD needed = Expand(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0) {
            return false;
        }
        if (needed <= buffer.size()) {
            expanded.assign(buffer.data());
            return true;
        }
        buffer.resize(needed + 1);
    }
    return false;
}

} // namespace

bool ExpandEnvironmentText(const std::string& text, std::string& expanded) {
    return ExpandVariables<char, ExpandEnvironmentStringsA>(text, expanded);
}

bool ExpandEnvironmentText(const std::wstring& text, std::wstring& expanded) {
    return ExpandVariables<wchar_t, ExpandEnvironmentStringsW>(text, expanded);
}

std::string ExpandedCommand(const std::string& command) {
    if (command.find('%') == std::string::npos) {
        return command;
    }
    std::string expanded;
    return ExpandEnvironmentText(command, expanded) ? expanded : command;
}

} // namespace kv
