#include "entries/catalogue.h"

#include "base/text.h"
#include "entries/startup_folder.h"

#include <vector>

namespace kv {

const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunOnceKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char* const kRunServicesKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const char* const kRunServicesOnceKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\RunServicesOnce";
const char* const kRunOnceExKey = "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const char* const kRun32Key = "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const kRunOnce32Key =
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
const char* const kRunOnceEx32Key =
    "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";
const char* const kPolicyRunKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run";

const RegistryLocation kValueKeys[kValueKeyCount] = {
    {"HKLM", kRunKey, true},         {"HKLM", kRunOnceKey, true},
    {"HKLM", kRunServicesKey, true}, {"HKLM", kRunServicesOnceKey, true},
    {"HKCU", kRunKey, true},         {"HKCU", kRunOnceKey, true},
    {"HKLM", kRun32Key, false},      {"HKLM", kRunOnce32Key, false},
    {"HKLM", kPolicyRunKey, false},  {"HKCU", kPolicyRunKey, false},
};

const RegistryLocation kSubkeyKeys[kSubkeyKeyCount] = {
    {"HKLM", kRunKey, false},       {"HKLM", kRunOnceKey, false},     {"HKCU", kRunKey, false},
    {"HKCU", kRunOnceKey, false},   {"HKLM", kRunOnceExKey, false},   {"HKLM", kRun32Key, false},
    {"HKLM", kRunOnce32Key, false}, {"HKLM", kRunOnceEx32Key, false},
};

bool IsRunOnceExKey(const std::string& keyPath) {
    return keyPath == kRunOnceExKey || keyPath == kRunOnceEx32Key;
}

std::string RegistryLocationString(const std::string& root, const std::string& keyPath) {
    return root + "\\" + keyPath;
}

const char* const kWinIniRunLocation = "section: [windows]; parameter: run";
const char* const kWinIniLoadLocation = "section: [windows]; parameter: load";

std::string WinIniLocationString(const std::string& parameter) {
    return "section: [windows]; parameter: " + parameter;
}

namespace {

// The catalogue's location strings in lower case, made once: locations are
// classified for every entry a bulk change moves. The keys with subkeys end
// in a backslash, as the start of their subkeys' locations.
std::vector<std::string> LowerLocations(const RegistryLocation* keys, std::size_t count,
                                        const char* tail) {
    std::vector<std::string> lower;
    for (std::size_t i = 0; i < count; ++i) {
        lower.push_back(LowerAscii(RegistryLocationString(keys[i].root, keys[i].keyPath)) + tail);
    }
    return lower;
}

const std::vector<std::string>& LowerValueKeyLocations() {
    static const std::vector<std::string> lower =
        LowerLocations(kValueKeys, sizeof(kValueKeys) / sizeof(kValueKeys[0]), "");
    return lower;
}

const std::vector<std::string>& LowerSubkeyPrefixes() {
    static const std::vector<std::string> lower =
        LowerLocations(kSubkeyKeys, sizeof(kSubkeyKeys) / sizeof(kSubkeyKeys[0]), "\\");
    return lower;
}

} // namespace

LocationClass ClassifyLocationIn(const std::string& location, const std::string& currentUserFolder,
                                 const std::string& allUsersFolder) {
    const std::string lower = LowerAscii(location);
    LocationClass found;
    for (std::size_t i = 0; i < sizeof(kValueKeys) / sizeof(kValueKeys[0]); ++i) {
        const RegistryLocation& key = kValueKeys[i];
        if (lower == LowerValueKeyLocations()[i]) {
            found.kind = LocationKind::RegistryKey;
            found.root = key.root;
            found.keyPath = key.keyPath;
            return found;
        }
    }
    for (std::size_t i = 0; i < sizeof(kSubkeyKeys) / sizeof(kSubkeyKeys[0]); ++i) {
        const RegistryLocation& key = kSubkeyKeys[i];
        const std::string& prefix = LowerSubkeyPrefixes()[i];
        if (lower.size() > prefix.size() && lower.compare(0, prefix.size(), prefix) == 0 &&
            lower.find('\\', prefix.size()) == std::string::npos) {
            found.kind = IsRunOnceExKey(key.keyPath) ? LocationKind::RunOnceExSection
                                                     : LocationKind::RegistrySubkey;
            found.root = key.root;
            found.parentKey = key.keyPath;
            found.subkey = location.substr(prefix.size());
            found.keyPath = std::string(key.keyPath) + "\\" + found.subkey;
            return found;
        }
    }
    if (lower == kWinIniRunLocation || lower == kWinIniLoadLocation) {
        found.kind = LocationKind::WinIni;
        found.parameter = lower == kWinIniRunLocation ? "run" : "load";
        return found;
    }
    const std::string* const folders[2] = {&currentUserFolder, &allUsersFolder};
    for (int selector = 0; selector < 2; ++selector) {
        const std::string& folder = *folders[selector];
        if (!folder.empty() && lower == LowerAscii(folder)) {
            found.kind = LocationKind::StartupFolder;
            found.folder = folder;
            found.folderSelector = selector;
            return found;
        }
    }
    return found;
}

LocationClass ClassifyLocation(const std::string& location) {
    // The registry and win.ini need no look-up; the Startup folders are asked
    // for only when the string names neither.
    const LocationClass fixed = ClassifyLocationIn(location, std::string(), std::string());
    if (fixed.kind != LocationKind::Unknown) {
        return fixed;
    }
    return ClassifyLocationIn(location, GetStartupFolderPath(kCurrentUserStartup),
                              GetStartupFolderPath(kAllUsersStartup));
}

bool IsPlainFileName(const std::string& name) {
    // Windows drops trailing dots and blanks from a path's last name, so a
    // name made of them alone would name the folder or its parent.
    return name.find_first_not_of(". ") != std::string::npos &&
           name.find_first_of("\\/:") == std::string::npos;
}

} // namespace kv
