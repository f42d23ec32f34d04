// "Просмотр в реестре": the registry editor brought up at the selected
// entry's key, with its value selected.
#pragma once

#include <windows.h>

#include <string>

namespace kv {

// Where the editor is taken: the key as its tree names it ("\HKEY_CURRENT_USER\..."
// or "\HKEY_LOCAL_MACHINE\...") and the value to select in its list.
struct RegistryTarget {
    std::string keyPath; // empty when the location is not below HKCU or HKLM
    std::string valueName;
};

// The target of a row: a location beginning with the root name "HKCU" or
// "HKLM" (any letter case), followed by a backslash or nothing, gives the
// root's full name followed by the rest of the location from its first
// backslash on; the value is the row's title.
RegistryTarget RegistryJumpTarget(const std::string& location, const std::string& title);

// Finds the running registry editor (starting it when there is none), walks
// its key tree to the key with typed keys and selects the value in its list
// the same way. An empty key path leaves the tree collapsed to its root. The
// walk ends quietly when the editor does not come up or stops answering.
void JumpToRegistryKey(HWND owner, const std::string& keyPath, const std::string& valueName);

} // namespace kv
