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

const char* const kAppModelPackagesKey =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\"
    "Repository\\Packages";
const char* const kAppModelStateKey =
    "Software\\Classes\\Local Settings\\Software\\Microsoft\\Windows\\CurrentVersion\\AppModel\\"
    "SystemAppData";

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

std::string PackagedTaskLocationString(const std::string& family, const std::string& taskId) {
    return RegistryLocationString("HKCU", kAppModelStateKey) + "\\" + family + "\\" + taskId;
}

const char* const kTaskSchedulerPrefix = "Task Scheduler: ";

std::string ScheduledTaskLocationString(const std::string& folder) {
    return kTaskSchedulerPrefix + folder;
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

// A key name or a task folder's name: not empty, no backslash.
bool IsOneName(const std::string& name) {
    return !name.empty() && name.find('\\') == std::string::npos;
}

// The two kinds of task: a packaged task's state key (a family and a task id
// below the state key) and a Task Scheduler folder ("\" or "\a\b", no empty
// name between its backslashes).
bool ClassifyTaskLocation(const std::string& location, const std::string& lower,
                          LocationClass& found) {
    static const std::string statePrefix =
        LowerAscii(RegistryLocationString("HKCU", kAppModelStateKey)) + "\\";
    if (lower.compare(0, statePrefix.size(), statePrefix) == 0) {
        const std::string rest = location.substr(statePrefix.size());
        const std::size_t slash = rest.find('\\');
        if (slash == std::string::npos || !IsOneName(rest.substr(0, slash)) ||
            !IsOneName(rest.substr(slash + 1))) {
            return false;
        }
        found.kind = LocationKind::PackagedTask;
        found.root = "HKCU";
        found.family = rest.substr(0, slash);
        found.taskId = rest.substr(slash + 1);
        found.keyPath = std::string(kAppModelStateKey) + "\\" + rest;
        return true;
    }
    static const std::string taskPrefix = LowerAscii(kTaskSchedulerPrefix);
    if (lower.compare(0, taskPrefix.size(), taskPrefix) != 0) {
        return false;
    }
    const std::string folder = location.substr(taskPrefix.size());
    if (folder.empty() || folder[0] != '\\') {
        return false;
    }
    if (folder.size() > 1) {
        for (std::size_t at = 0; at < folder.size();) {
            const std::size_t next = folder.find('\\', at + 1);
            const std::size_t end = next == std::string::npos ? folder.size() : next;
            if (end == at + 1) {
                return false; // an empty name
            }
            at = end;
        }
    }
    found.kind = LocationKind::ScheduledTask;
    found.taskFolder = folder;
    return true;
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
    if (ClassifyTaskLocation(location, lower, found)) {
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

bool IsTaskLocation(const std::string& location) {
    LocationClass found;
    return ClassifyTaskLocation(location, LowerAscii(location), found);
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
