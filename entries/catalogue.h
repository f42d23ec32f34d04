// The startup locations: their location strings, in the order a refresh
// reads them.
#pragma once

#include <string>

namespace kv {

// Key paths below HKLM or HKCU.
extern const char* const kRunKey;             // Software\...\CurrentVersion\Run
extern const char* const kRunOnceKey;         // ...\RunOnce
extern const char* const kRunServicesKey;     // ...\RunServices
extern const char* const kRunServicesOnceKey; // ...\RunServicesOnce
extern const char* const kRunOnceExKey;       // ...\RunOnceEx

// One Run-type registry location read by a refresh: the root name
// ("HKLM" or "HKCU") and the key path.
struct RegistryLocation {
    const char* root;
    const char* keyPath;
};

// The six keys whose values are entries, in reading order.
extern const RegistryLocation kValueKeys[6];
// The five keys whose subkeys' values are entries, in reading order.
extern const RegistryLocation kSubkeyKeys[5];

// Location string of a registry key: the root name, a backslash and the path.
std::string RegistryLocationString(const std::string& root, const std::string& keyPath);

} // namespace kv
