// Making entries for tests, and looking up rows that a reader returned.
#pragma once

#include "entries/startup_entry.h"

#include <string>
#include <vector>

namespace kvtest {

// An entry of these three texts and nothing else.
inline kv::StartupEntry Entry(const std::string& title, const std::string& command,
                              const std::string& location) {
    kv::StartupEntry entry;
    entry.title = title;
    entry.command = command;
    entry.location = location;
    return entry;
}

// The first row with this title, or null.
inline const kv::StartupEntry* FindTitle(const std::vector<kv::StartupEntry>& rows,
                                         const std::string& title) {
    for (const kv::StartupEntry& row : rows) {
        if (row.title == title) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace kvtest
