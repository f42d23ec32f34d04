#include "entries/command_path.h"

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

} // namespace

std::string ResolveCommandPathIn(const std::string& command, ResolveMode mode,
                                 const PathEnvironment& env) {
    if (command.empty()) {
        return std::string();
    }

    // Bars: a RunOnceEx line is "dll|function|arguments"; "||command" carries
    // a plain command.
    std::string text = command;
    const std::string::size_type firstBar = command.find('|');
    if (mode == ResolveMode::ProgramPath) {
        if (command.compare(0, 2, "||") == 0) {
            text = command.substr(2);
        } else if (firstBar != std::string::npos) {
            text = command.substr(0, firstBar);
        }
    } else if (firstBar != std::string::npos) {
        // The arguments of a bar line: from its last bar on, bar included.
        return command.substr(command.rfind('|'));
    }

    // Quotes.
    std::string unquoted = text;
    if (!text.empty() && text[0] == '"') {
        const std::string::size_type closing = text.find('"', 1);
        if (closing != std::string::npos) {
            if (mode == ResolveMode::Arguments) {
                // Exactly one character after the closing quote is skipped.
                return closing + 1 >= text.size() ? std::string() : text.substr(closing + 2);
            }
            unquoted = text.substr(1, closing - 1);
        } else {
            unquoted = text.substr(1);
        }
    }

    // Word growing over the command as written, then in the Windows and the
    // System directory.
    const std::string candidates[3] = {
        unquoted,
        env.windowsDirectory + "\\" + unquoted,
        env.systemDirectory + "\\" + unquoted,
    };
    for (const std::string& candidate : candidates) {
        std::string path;
        std::string::size_type lastEnd = 0;
        bool tookAll = false;
        if (!ResolveCandidate(candidate, env, path, lastEnd, tookAll)) {
            continue;
        }
        if (mode == ResolveMode::ProgramPath) {
            return path;
        }
        if (tookAll || lastEnd + 1 >= candidate.size()) {
            return std::string();
        }
        return candidate.substr(lastEnd + 1);
    }
    return mode == ResolveMode::ProgramPath ? unquoted : std::string();
}

bool PathExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
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
    return PathEnvironment{WindowsDirectory(), SystemDirectory(), &PathExists};
}

std::string ResolveCommandPath(const std::string& command, ResolveMode mode) {
    return ResolveCommandPathIn(command, mode, SystemPathEnvironment());
}

} // namespace kv
