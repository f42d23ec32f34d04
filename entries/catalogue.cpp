#include "entries/catalogue.h"

#include "entries/startup_folder.h"
#include "entries/text.h"

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

const char* const kWinIniRunLocation = "section: [windows]; parameter: run";
const char* const kWinIniLoadLocation = "section: [windows]; parameter: load";

std::string WinIniLocationString(const std::string& parameter) {
    return "section: [windows]; parameter: " + parameter;
}

LocationClass ClassifyLocationIn(const std::string& location, const std::string& currentUserFolder,
                                 const std::string& allUsersFolder) {
    const std::string lower = LowerAscii(location);
    LocationClass found;
    for (const RegistryLocation& key : kValueKeys) {
        if (lower == LowerAscii(RegistryLocationString(key.root, key.keyPath))) {
            found.kind = LocationKind::RegistryKey;
            found.root = key.root;
            found.keyPath = key.keyPath;
            return found;
        }
    }
    for (std::size_t i = 0; i < sizeof(kSubkeyKeys) / sizeof(kSubkeyKeys[0]); ++i) {
        const RegistryLocation& key = kSubkeyKeys[i];
        const std::string prefix = LowerAscii(RegistryLocationString(key.root, key.keyPath)) + "\\";
        if (lower.size() > prefix.size() && lower.compare(0, prefix.size(), prefix) == 0 &&
            lower.find('\\', prefix.size()) == std::string::npos) {
            found.kind = key.keyPath == kRunOnceExKey ? LocationKind::RunOnceExSection
                                                      : LocationKind::RegistrySubkey;
            found.root = key.root;
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

// The registry group of each of the six value keys, in kValueKeys order.
const int kValueKeyGroups[6] = {kGroupHklmRun,         kGroupHklmRunOnce,
                                kGroupHklmRunServices, kGroupHklmRunServicesOnce,
                                kGroupHkcuRun,         kGroupHkcuRunOnce};

} // namespace

std::string LocationForGroupIn(int group, const std::string& section,
                               const std::string& currentUserFolder,
                               const std::string& allUsersFolder) {
    switch (group) {
    case kGroupAllUsersStartup:
        return allUsersFolder;
    case kGroupCurrentUserStartup:
        return currentUserFolder;
    case kGroupRunOnceEx:
        return RegistryLocationString("HKLM", kRunOnceExKey) + "\\" + section;
    case kGroupWinIniRun:
        return kWinIniRunLocation;
    case kGroupWinIniLoad:
        return kWinIniLoadLocation;
    default:
        break;
    }
    for (int i = 0; i < 6; ++i) {
        if (kValueKeyGroups[i] == group) {
            return RegistryLocationString(kValueKeys[i].root, kValueKeys[i].keyPath);
        }
    }
    return std::string();
}

int GroupForLocationIn(const std::string& location, const std::string& currentUserFolder,
                       const std::string& allUsersFolder, std::string& section) {
    const LocationClass place = ClassifyLocationIn(location, currentUserFolder, allUsersFolder);
    switch (place.kind) {
    case LocationKind::RegistryKey:
        for (int i = 0; i < 6; ++i) {
            if (place.root == kValueKeys[i].root && place.keyPath == kValueKeys[i].keyPath) {
                return kValueKeyGroups[i];
            }
        }
        break;
    case LocationKind::RunOnceExSection:
        section = place.subkey;
        return kGroupRunOnceEx;
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
