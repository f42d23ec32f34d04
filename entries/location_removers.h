// Removers: take one entry out of its startup location. None of them asks or
// touches the list; each says what it did.
#pragma once

#include "entries/location_outcome.h"

#include <windows.h>

#include <string>

namespace kv {

// Deletes the value (the unnamed one for an empty name) from the key.
LocationOutcome RemoveRegistryValue(HKEY root, const std::string& keyPath,
                                    const std::string& valueName);

// The same through the wide calls, for a value of this exact name (`title`
// names it in the outcome).
LocationOutcome RemoveRegistryValueWide(HKEY root, const std::string& keyPath,
                                        const std::wstring& valueName, const std::string& title);

// Deletes folder\fileName.
LocationOutcome DeleteStartupFile(const std::string& folder, const std::string& fileName);
// The same for a file of this exact name (`title` names it in the outcome).
LocationOutcome DeleteStartupFileWide(const std::string& folder, const std::wstring& fileName,
                                      const std::string& title);

// Cuts one whole item out of win.ini's "run" or "load" line, leaving every
// other item as it was. An item that is not in the line changes nothing and
// says nothing.
LocationOutcome RemoveWinIniItem(const std::string& item, const std::string& parameter);

} // namespace kv
