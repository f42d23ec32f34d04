// Readers of the Run-type registry keys.
#pragma once

#include "entries/startup_entry.h"

#include <string>
#include <vector>

namespace kv {

struct RegistryScan {
    bool opened = false;            // the key itself could be opened
    std::vector<StartupEntry> rows; // in the registry's enumeration order
};

// One row per REG_SZ or REG_EXPAND_SZ value of the key (the unnamed value
// gives an empty title); the command is the data as stored, unexpanded.
RegistryScan ScanRegistryKey(const std::string& rootName, const std::string& keyPath);

// One row per value of every subkey of the key, whatever its type, with the
// data taken as text: the RunOnceEx layout, also used for subkeys of Run and
// RunOnce. A missing key yields no rows.
RegistryScan ScanRegistrySubkeys(const std::string& rootName, const std::string& keyPath);

} // namespace kv
