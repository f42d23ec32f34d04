#include "entries/catalogue.h"

namespace kv {

const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char* const kRunServicesKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const char* const kRunServicesOnceKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce";
const char* const kRunOnceExKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";

const RegistryLocation kValueKeys[6] = {
    {"HKLM", kRunKey},         {"HKLM", kRunOnceKey},
    {"HKLM", kRunServicesKey}, {"HKLM", kRunServicesOnceKey},
    {"HKCU", kRunKey},         {"HKCU", kRunOnceKey},
};

const RegistryLocation kSubkeyKeys[5] = {
    {"HKLM", kRunKey},     {"HKLM", kRunOnceKey},   {"HKCU", kRunKey},
    {"HKCU", kRunOnceKey}, {"HKLM", kRunOnceExKey},
};

std::string RegistryLocationString(const std::string& root, const std::string& keyPath) {
    return root + "\\" + keyPath;
}

} // namespace kv
