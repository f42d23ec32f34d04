// The group list of the program dialog: one item per line of the list, in
// list order, each naming the location it writes to (registry key, Startup
// folder or win.ini line). A group number is an item's position in the list;
// outside the dialog, entries are named by their location strings.
#pragma once

#include <string>

namespace kv {

// Positions of the items that name locations. Headings name none.
constexpr int kGroupCount = 22;
constexpr int kGroupAllUsersStartup = 2;
constexpr int kGroupCurrentUserStartup = 3;
constexpr int kGroupRegistryHeading = 4;
constexpr int kGroupHklmRun = 6;
constexpr int kGroupHklmRun32 = 7;
constexpr int kGroupHklmRunOnce = 8;
constexpr int kGroupHklmRunOnce32 = 9;
constexpr int kGroupRunOnceEx = 10;
constexpr int kGroupRunOnceEx32 = 11;
constexpr int kGroupHklmRunServices = 12;
constexpr int kGroupHklmRunServicesOnce = 13;
constexpr int kGroupHklmPolicyRun = 14;
constexpr int kGroupHkcuRun = 16;
constexpr int kGroupHkcuRunOnce = 17;
constexpr int kGroupHkcuPolicyRun = 18;
constexpr int kGroupWinIniRun = 20;
constexpr int kGroupWinIniLoad = 21;

// What OK asks of the fields for each group.
enum class GroupCheck {
    Heading,  // names no location: refused
    Titled,   // title and path
    Section,  // title, path and a RunOnceEx section
    Untitled, // a path alone: a win.ini item
};

// Where an item writes.
enum class GroupPlace {
    None,          // a heading
    RegistryKey,   // `root` and `key`; a RunOnceEx key's entries go into a section
    StartupFolder, // `folder`: 0 the current user's, 1 all users'
    WinIniLine,    // `key` is the parameter: "run" or "load"
};

// One item of the group list.
struct GroupItem {
    const char* text;
    int picture; // in the group image list
    int indent;  // in the combo box's units of 10 pixels
    GroupCheck check;
    GroupPlace place;
    const char* root; // registry: "HKLM" or "HKCU"
    const char* key;  // registry: the key path; win.ini: the parameter
    int folder;       // Startup folder: its selector
};

// The item of a group number; group 0 (a heading) for a number outside the list.
const GroupItem& GroupItemOf(int group);

// True for the groups of a RunOnceEx key, whose entries need a section.
bool IsRunOnceExGroup(int group);

// The location string of a group, against the Startup folder paths given;
// for a RunOnceEx group the section names the subkey. Empty for a heading, a
// number outside the list, or a Startup folder that is not known.
std::string LocationForGroupIn(int group, const std::string& section,
                               const std::string& currentUserFolder,
                               const std::string& allUsersFolder);

// The group of a location string, as the classifier reads it against the
// Startup folder paths given; a RunOnceEx section also gives its name in
// `section` (in the string's own case). -1 for a location that has no group:
// a subkey of Run or RunOnce, or a string that names no startup location.
int GroupForLocationIn(const std::string& location, const std::string& currentUserFolder,
                       const std::string& allUsersFolder, std::string& section);

// The two above against the Startup folders as the system names them now.
std::string LocationForGroup(int group, const std::string& section);
int GroupForLocation(const std::string& location, std::string& section);

} // namespace kv
