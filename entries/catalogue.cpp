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

namespace {

// The registry groups: the group, and the key of its location in kValueKeys
// terms (the RunOnceEx groups name the RunOnceEx key, whose sections follow).
struct RegistryGroup {
    int group;
    const char* root;
    const char* keyPath;
};

const RegistryGroup kRegistryGroups[] = {
    {kGroupHklmRun, "HKLM", kRunKey},
    {kGroupHklmRun32, "HKLM", kRun32Key},
    {kGroupHklmRunOnce, "HKLM", kRunOnceKey},
    {kGroupHklmRunOnce32, "HKLM", kRunOnce32Key},
    {kGroupRunOnceEx, "HKLM", kRunOnceExKey},
    {kGroupRunOnceEx32, "HKLM", kRunOnceEx32Key},
    {kGroupHklmRunServices, "HKLM", kRunServicesKey},
    {kGroupHklmRunServicesOnce, "HKLM", kRunServicesOnceKey},
    {kGroupHklmPolicyRun, "HKLM", kPolicyRunKey},
    {kGroupHkcuRun, "HKCU", kRunKey},
    {kGroupHkcuRunOnce, "HKCU", kRunOnceKey},
    {kGroupHkcuPolicyRun, "HKCU", kPolicyRunKey},
};

} // namespace

bool IsRunOnceExGroup(int group) {
    return group == kGroupRunOnceEx || group == kGroupRunOnceEx32;
}

std::string LocationForGroupIn(int group, const std::string& section,
                               const std::string& currentUserFolder,
                               const std::string& allUsersFolder) {
    switch (group) {
    case kGroupAllUsersStartup:
        return allUsersFolder;
    case kGroupCurrentUserStartup:
        return currentUserFolder;
    case kGroupWinIniRun:
        return kWinIniRunLocation;
    case kGroupWinIniLoad:
        return kWinIniLoadLocation;
    default:
        break;
    }
    for (const RegistryGroup& entry : kRegistryGroups) {
        if (entry.group == group) {
            const std::string key = RegistryLocationString(entry.root, entry.keyPath);
            return IsRunOnceExGroup(group) ? key + "\\" + section : key;
        }
    }
    return std::string();
}

int GroupForLocationIn(const std::string& location, const std::string& currentUserFolder,
                       const std::string& allUsersFolder, std::string& section) {
    const LocationClass place = ClassifyLocationIn(location, currentUserFolder, allUsersFolder);
    switch (place.kind) {
    case LocationKind::RegistryKey:
    case LocationKind::RunOnceExSection:
        for (const RegistryGroup& entry : kRegistryGroups) {
            const std::string& keyPath =
                place.kind == LocationKind::RegistryKey ? place.keyPath : place.parentKey;
            if (place.root == entry.root && keyPath == entry.keyPath) {
                if (place.kind == LocationKind::RunOnceExSection) {
                    section = place.subkey;
                }
                return entry.group;
            }
        }
        break;
    case LocationKind::WinIni:
        return place.parameter == "run" ? kGroupWinIniRun : kGroupWinIniLoad;
    case LocationKind::StartupFolder:
        return place.folderSelector == kAllUsersStartup ? kGroupAllUsersStartup
                                                        : kGroupCurrentUserStartup;
    case LocationKind::RegistrySubkey:
    case LocationKind::Unknown:
        break;
    }
    return -1;
}

std::string LocationForGroup(int group, const std::string& section) {
    return LocationForGroupIn(group, section, GetStartupFolderPath(kCurrentUserStartup),
                              GetStartupFolderPath(kAllUsersStartup));
}

int GroupForLocation(const std::string& location, std::string& section) {
    return GroupForLocationIn(location, GetStartupFolderPath(kCurrentUserStartup),
                              GetStartupFolderPath(kAllUsersStartup), section);
}

bool IsPlainFileName(const std::string& name) {
    // Windows drops trailing dots and blanks from a path's last name, so a
    // name made of them alone would name the folder or its parent.
    return name.find_first_not_of(". ") != std::string::npos &&
           name.find_first_of("\\/:") == std::string::npos;
}

} // namespace kv
