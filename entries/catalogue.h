// The startup locations: their location strings, in the order a refresh
// reads them, and the one classifier that tells which location a location
// string names.
#pragma once

#include <string>

namespace kv {

// Key paths below HKLM or HKCU. Every path names its key as the 64-bit view
// of the registry names it, in both builds: the 32-bit view's keys are the
// ones below Software\Wow6432Node.
extern const char* const kRunKey;             // Software\...\CurrentVersion\Run
extern const char* const kRunOnceKey;         // ...\RunOnce
extern const char* const kRunServicesKey;     // ...\RunServices
extern const char* const kRunServicesOnceKey; // ...\RunServicesOnce
extern const char* const kRunOnceExKey;       // ...\RunOnceEx
extern const char* const kRun32Key;           // Software\Wow6432Node\...\Run
extern const char* const kRunOnce32Key;       // Software\Wow6432Node\...\RunOnce
extern const char* const kRunOnceEx32Key;     // Software\Wow6432Node\...\RunOnceEx
extern const char* const kPolicyRunKey;       // Software\...\Policies\Explorer\Run
// The per-user registry of packaged (Store/MSIX) apps, below HKCU: the
// installed packages (one subkey per package full name) and the state of
// each app's startup tasks (a subkey per package family, one per task).
extern const char* const kAppModelPackagesKey; // Software\Classes\...\AppModel\Repository\Packages
extern const char* const kAppModelStateKey;    // Software\Classes\...\AppModel\SystemAppData

// One Run-type registry location read by a refresh: the root name
// ("HKLM" or "HKCU") and the key path.
struct RegistryLocation {
    const char* root;
    const char* keyPath;
    // A refresh says so when the key cannot be opened. The keys that exist
    // only on some systems or only once something writes them say nothing.
    bool reportMissing;
};

// The keys whose values are entries, in reading order.
constexpr int kValueKeyCount = 10;
extern const RegistryLocation kValueKeys[kValueKeyCount];
// The keys whose subkeys' values are entries, in reading order. The subkeys
// of the two RunOnceEx keys are their sections.
constexpr int kSubkeyKeyCount = 8;
extern const RegistryLocation kSubkeyKeys[kSubkeyKeyCount];

// True for the path of a RunOnceEx key (either view).
bool IsRunOnceExKey(const std::string& keyPath);

// Location string of a registry key: the root name, a backslash and the path.
std::string RegistryLocationString(const std::string& root, const std::string& keyPath);

// The location strings of win.ini's "run" and "load" parameters.
extern const char* const kWinIniRunLocation;  // "section: [windows]; parameter: run"
extern const char* const kWinIniLoadLocation; // "section: [windows]; parameter: load"
std::string WinIniLocationString(const std::string& parameter);

// The location string of a packaged app's startup task: the key of its
// switch, "HKCU\<kAppModelStateKey>\<family>\<task id>".
std::string PackagedTaskLocationString(const std::string& family, const std::string& taskId);

// The location string of a scheduled task: "Task Scheduler: " and the path of
// its folder ("\" for the root, "\Vendor\Tools" below it).
extern const char* const kTaskSchedulerPrefix; // "Task Scheduler: "
std::string ScheduledTaskLocationString(const std::string& folder);

enum class LocationKind {
    Unknown,          // names no startup location: nothing may be written or removed there
    RegistryKey,      // one of the Run-type keys whose values are entries
    RegistrySubkey,   // a subkey of a Run or RunOnce key
    RunOnceExSection, // a section (subkey) of HKLM RunOnceEx, in either view
    WinIni,           // win.ini's "run" or "load"
    StartupFolder,    // the current user's or the all-users Startup folder
    // Entries that stay where they are and are only switched on or off:
    PackagedTask,  // a packaged app's startup task (its state key)
    ScheduledTask, // a folder of the Task Scheduler
};

// What a location string names. Location strings are compared without regard
// to the case of A-Z, as the catalogue's strings are.
struct LocationClass {
    LocationKind kind = LocationKind::Unknown;
    std::string root;       // registry: "HKLM" or "HKCU"
    std::string keyPath;    // registry: the catalogue's key path, then "\" and the subkey
    std::string parentKey;  // subkey and RunOnceEx section: the catalogue's key path
    std::string subkey;     // subkey and RunOnceEx section: its name in the string's own case
    std::string parameter;  // win.ini: "run" or "load"
    std::string folder;     // Startup folder: the path as the Shell Folders key gives it
    int folderSelector = 0; // Startup folder: 0 current user, 1 all users
    std::string family;     // packaged task: the package family name
    std::string taskId;     // packaged task: the task id
    std::string taskFolder; // scheduled task: the folder path, "\" for the root
};

// True for the location string of a task (LocationKind::PackagedTask or
// ScheduledTask); quicker than classifying it whole.
bool IsTaskLocation(const std::string& location);

// The classifier itself, against the Startup folder paths of the moment
// (empty when a folder is not known). A subkey or section name is one key
// name: it is not empty and holds no backslash.
LocationClass ClassifyLocationIn(const std::string& location, const std::string& currentUserFolder,
                                 const std::string& allUsersFolder);

// ClassifyLocationIn against the Startup folders as the system names them now.
LocationClass ClassifyLocation(const std::string& location);

// True for the name of one file inside a folder: no path separator or drive
// colon, and not made of dots and blanks alone (".", "..", "..."). Only such names are created
// or deleted in a Startup folder, so nothing outside it is ever touched.
bool IsPlainFileName(const std::string& name);

} // namespace kv
