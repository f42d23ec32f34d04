#include "shell/frame/program_description.h"

#include "entries/command_path.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace kv {

std::string ProgramDescription(const std::string& programPath) {
    const std::string path = FileLookupPath(programPath);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) {
        return std::string();
    }
    std::vector<char> block(size, '\0');
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) {
        return std::string();
    }
    void* translation = nullptr;
    UINT translationSize = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation,
                        &translationSize) ||
        translation == nullptr || translationSize < 2 * sizeof(WORD)) {
        return std::string();
    }
    // The first entry: a language and a code page.
    const WORD* pair = static_cast<const WORD*>(translation);
    char query[64];
    std::snprintf(query, sizeof(query), "\\StringFileInfo\\%04X%04X\\FileDescription",
                  static_cast<unsigned>(pair[0]), static_cast<unsigned>(pair[1]));
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), query, &value, &length) || value == nullptr || length == 0) {
        return std::string();
    }
    // The length counts characters and may include the terminating zero; the
    // text ends at whichever comes first.
    const char* text = static_cast<const char*>(value);
    std::string description;
    for (UINT i = 0; i < length && text[i] != '\0'; ++i) {
        description += text[i];
    }
    return description;
}

} // namespace kv
