#include "dialogs/program_groups.h"

#include "entries/catalogue.h"
#include "entries/startup_folder.h"

namespace kv {

namespace {

constexpr GroupItem Heading(const char* text, int picture, int indent) {
    return {text, picture, indent, GroupCheck::Heading, GroupPlace::None, "", "", 0};
}

constexpr GroupItem Key(const char* text, const char* root, const char* key,
                        GroupCheck check = GroupCheck::Titled) {
    return {text, 0, 6, check, GroupPlace::RegistryKey, root, key, 0};
}

// The group list, in list order.
const GroupItem kGroups[kGroupCount] = {
    Heading("All startups", 1, 0),
    Heading("Startup menu", 4, 2),
    {"All Users", 2, 4, GroupCheck::Titled, GroupPlace::StartupFolder, "", "", kAllUsersStartup},
    {"Current User", 2, 4, GroupCheck::Titled, GroupPlace::StartupFolder, "", "",
     kCurrentUserStartup},
    Heading("Registry", 4, 2),
    Heading("All Users", 4, 4),
    Key("Run", "HKLM", kRunKey),
    Key("Run (32-bit)", "HKLM", kRun32Key),
    Key("RunOnce", "HKLM", kRunOnceKey),
    Key("RunOnce (32-bit)", "HKLM", kRunOnce32Key),
    Key("RunOnceEx", "HKLM", kRunOnceExKey, GroupCheck::Section),
    Key("RunOnceEx (32-bit)", "HKLM", kRunOnceEx32Key, GroupCheck::Section),
    Key("RunServices", "HKLM", kRunServicesKey),
    Key("RunServicesOnce", "HKLM", kRunServicesOnceKey),
    Key("Run (Policies)", "HKLM", kPolicyRunKey),
    Heading("Current User", 4, 4),
    Key("Run", "HKCU", kRunKey),
    Key("RunOnce", "HKCU", kRunOnceKey),
    Key("Run (Policies)", "HKCU", kPolicyRunKey),
    Heading("Win.INI", 4, 2),
    {"Run", 3, 4, GroupCheck::Untitled, GroupPlace::WinIniLine, "", "run", 0},
    {"Load", 3, 4, GroupCheck::Untitled, GroupPlace::WinIniLine, "", "load", 0},
};

} // namespace

const GroupItem& GroupItemOf(int group) {
    return group >= 0 && group < kGroupCount ? kGroups[group] : kGroups[0];
}

bool IsRunOnceExGroup(int group) {
    return GroupItemOf(group).check == GroupCheck::Section;
}

std::string LocationForGroupIn(int group, const std::string& section,
                               const std::string& currentUserFolder,
                               const std::string& allUsersFolder) {
    const GroupItem& item = GroupItemOf(group);
    switch (item.place) {
    case GroupPlace::StartupFolder:
        return item.folder == kAllUsersStartup ? allUsersFolder : currentUserFolder;
    case GroupPlace::WinIniLine:
        return WinIniLocationString(item.key);
    case GroupPlace::RegistryKey: {
        const std::string key = RegistryLocationString(item.root, item.key);
        return item.check == GroupCheck::Section ? key + "\\" + section : key;
    }
    case GroupPlace::None:
        break;
    }
    return std::string();
}

int GroupForLocationIn(const std::string& location, const std::string& currentUserFolder,
                       const std::string& allUsersFolder, std::string& section) {
    const LocationClass place = ClassifyLocationIn(location, currentUserFolder, allUsersFolder);
    for (int group = 0; group < kGroupCount; ++group) {
        const GroupItem& item = kGroups[group];
        bool matches = false;
        switch (place.kind) {
        case LocationKind::RegistryKey:
            matches = item.place == GroupPlace::RegistryKey &&
                      item.check != GroupCheck::Section && place.root == item.root &&
                      place.keyPath == item.key;
            break;
        case LocationKind::RunOnceExSection:
            matches = item.place == GroupPlace::RegistryKey &&
                      item.check == GroupCheck::Section && place.root == item.root &&
                      place.parentKey == item.key;
            break;
        case LocationKind::WinIni:
            matches = item.place == GroupPlace::WinIniLine && place.parameter == item.key;
            break;
        case LocationKind::StartupFolder:
            matches = item.place == GroupPlace::StartupFolder &&
                      place.folderSelector == item.folder;
            break;
        case LocationKind::RegistrySubkey:
        case LocationKind::PackagedTask:
        case LocationKind::ScheduledTask:
        case LocationKind::Unknown:
            break;
        }
        if (matches) {
            if (place.kind == LocationKind::RunOnceExSection) {
                section = place.subkey;
            }
            return group;
        }
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

} // namespace kv
