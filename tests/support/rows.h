// Looking up rows that a reader returned.
#pragma once

#include "entries/startup_entry.h"

#include <string>
#include <vector>

namespace kvtest {

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
