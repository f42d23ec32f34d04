#include "entries/packaged_tasks.h"

#include "base/handles.h"
#include "entries/app_manifest.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/task_switch.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <map>
#include <set>

namespace kv {

namespace {

// ---- manifests, parsed once per version of their file ----

struct CachedManifest {
    FILETIME written = {};
    ULONGLONG size = 0;
    AppManifest manifest;
};

// By the manifest's full path. Refreshes run on the interface thread only.
std::map<std::wstring, CachedManifest>& ManifestCache() {
    static std::map<std::wstring, CachedManifest> cache;
    return cache;
}

ULONGLONG SizeOf(DWORD high, DWORD low) {
    return (static_cast<ULONGLONG>(high) << 32) | low;
}

bool SameStamp(const CachedManifest& cached, const FILETIME& written, ULONGLONG size) {
    return cached.size == size && CompareFileTime(&cached.written, &written) == 0;
}

// The file's bytes, read through its open handle, with the time of its last
// write and its size as that handle gives them; false when it cannot be read
// whole or is larger than the cap.
bool ReadManifestFile(const std::wstring& path, std::string& bytes, CachedManifest& stamp) {
    UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!file || !GetFileInformationByHandle(file.get(), &info)) {
        return false;
    }
    stamp.written = info.ftLastWriteTime;
    stamp.size = SizeOf(info.nFileSizeHigh, info.nFileSizeLow);
    if (stamp.size > kManifestSizeCap) {
        return false;
    }
    // One byte more than the size: a file that grew meanwhile is read whole
    // up to the cap, never cut.
    bytes.resize(static_cast<std::size_t>(stamp.size) + 1);
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            if (bytes.size() > kManifestSizeCap) {
                return false;
            }
            bytes.resize(std::min(bytes.size() * 2, kManifestSizeCap + 1));
        }
        DWORD read = 0;
        if (!ReadFile(file.get(), &bytes[have], static_cast<DWORD>(bytes.size() - have), &read,
                      nullptr)) {
            return false;
        }
        if (read == 0) {
            break;
        }
        have += read;
    }
    bytes.resize(have);
    return true;
}

// The manifest at this path: from the cache while its file is unchanged,
// else read and parsed. Null when it is missing or unreadable.
const AppManifest* LoadManifest(const std::wstring& path) {
    std::map<std::wstring, CachedManifest>& cache = ManifestCache();
    WIN32_FILE_ATTRIBUTE_DATA now;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &now) ||
        (now.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        cache.erase(path);
        return nullptr;
    }
    const auto found = cache.find(path);
    if (found != cache.end() && SameStamp(found->second, now.ftLastWriteTime,
                                          SizeOf(now.nFileSizeHigh, now.nFileSizeLow))) {
        return found->second.manifest.readable ? &found->second.manifest : nullptr;
    }
    CachedManifest read;
    read.written = now.ftLastWriteTime;
    read.size = SizeOf(now.nFileSizeHigh, now.nFileSizeLow);
    std::string bytes;
    if (read.size <= kManifestSizeCap && ReadManifestFile(path, bytes, read)) {
        read.manifest = ParseAppManifest(bytes);
    }
    CachedManifest& kept = cache[path];
    kept = std::move(read);
    return kept.manifest.readable ? &kept.manifest : nullptr;
}

// ---- the installed packages ----

// An open key of the wide calls, closed when the owner goes.
struct WideKey {
    HKEY key = nullptr;
    WideKey(HKEY parent, const std::wstring& path) {
        if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
            key = nullptr;
        }
    }
    ~WideKey() {
        if (key != nullptr) {
            RegCloseKey(key);
        }
    }
    WideKey(const WideKey&) = delete;
    WideKey& operator=(const WideKey&) = delete;
};

struct InstalledPackage {
    std::wstring fullName;
    std::wstring family;
    std::wstring manifestPath; // empty when the package names no install folder
    std::wstring folder;       // the install folder, ending in a backslash
};

// Every subkey name of the installed packages' key, in the registry's order.
std::vector<std::wstring> PackageFullNames(HKEY packages) {
    std::vector<std::wstring> names;
    // A key name has at most 255 characters.
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        const LONG status =
            RegEnumKeyExW(packages, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS ||
            (status != ERROR_SUCCESS && status != ERROR_MORE_DATA)) {
            break;
        }
        if (status == ERROR_SUCCESS) {
            names.emplace_back(name, length);
        }
    }
    return names;
}

InstalledPackage DescribePackage(HKEY packages, const std::wstring& fullName) {
    InstalledPackage package;
    package.fullName = fullName;
    package.family = PackageFamilyOf(fullName);
    const WideKey key(packages, fullName);
    DWORD type = REG_NONE;
    std::string bytes;
    if (key.key == nullptr ||
        QueryValueWide(key.key, L"PackageRootFolder", type, bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return package;
    }
    std::wstring folder = WideOfBytes(bytes);
    folder.erase(std::min(folder.find(L'\0'), folder.size()));
    if (folder.empty()) {
        return package;
    }
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    package.folder = folder;
    package.manifestPath = folder + L"AppxManifest.xml";
    return package;
}

std::wstring PackagesKeyPath() {
    return Wide(kAppModelPackagesKey);
}

// ---- the state of a task ----

enum class TaskState { FromManifest, Off, OffByUser, On, OffByPolicy, OnByPolicy };

// The State value of the task's switch; FromManifest when it is missing, of
// another type than REG_DWORD, or out of range.
TaskState ReadTaskState(const std::string& family, const std::string& taskId) {
    RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, std::string(kAppModelStateKey) + "\\" + family + "\\" + taskId,
                  KEY_QUERY_VALUE)) {
        return TaskState::FromManifest;
    }
    DWORD type = REG_NONE;
    std::string bytes;
    if (QueryValueWide(key.get(), L"State", type, bytes) != ERROR_SUCCESS || type != REG_DWORD ||
        bytes.size() != sizeof(DWORD)) {
        return TaskState::FromManifest;
    }
    DWORD value = 0;
    std::memcpy(&value, bytes.data(), sizeof(value));
    switch (value) {
    case 0:
        return TaskState::Off;
    case 1:
        return TaskState::OffByUser;
    case 2:
        return TaskState::On;
    case 3:
        return TaskState::OffByPolicy;
    case 4:
        return TaskState::OnByPolicy;
    default:
        return TaskState::FromManifest;
    }
}

TaskStateNow StateNow(TaskState state, bool enabledInManifest) {
    TaskStateNow now;
    now.exists = true;
    now.on = state == TaskState::On || state == TaskState::OnByPolicy ||
             (state == TaskState::FromManifest && enabledInManifest);
    now.byPolicy = state == TaskState::OffByPolicy || state == TaskState::OnByPolicy;
    return now;
}

// ---- rows ----

bool StartsWithNoCase(const std::wstring& text, const wchar_t* prefix) {
    const std::size_t length = std::wcslen(prefix);
    return text.size() >= length &&
           CompareStringOrdinal(text.c_str(), static_cast<int>(length), prefix,
                                static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

// The task's display name: the text itself, or an "ms-resource:" reference
// resolved in the package's resources. The task id stands in when there is
// none or it cannot be resolved.
std::wstring DisplayName(const InstalledPackage& package, const AppManifest& manifest,
                         const ManifestStartupTask& task) {
    const std::wstring& name = task.displayName;
    const wchar_t* const scheme = L"ms-resource:";
    if (!StartsWithNoCase(name, scheme)) {
        return name.empty() ? task.taskId : name;
    }
    const std::wstring reference = name.substr(std::wcslen(scheme));
    std::wstring packageName = manifest.identityName;
    if (packageName.empty()) {
        packageName = package.fullName.substr(0, package.fullName.find(L'_'));
    }
    std::wstring uri;
    if (reference.compare(0, 2, L"//") == 0) {
        uri = scheme + reference; // names its package itself
    } else if (reference.compare(0, 1, L"/") == 0) {
        uri = scheme + (L"//" + packageName) + reference; // a path from the package's root
    } else {
        uri = scheme + (L"//" + packageName + L"/resources/") + reference; // a key of "resources"
    }
    const std::wstring source = L"@{" + package.fullName + L"?" + uri + L"}";
    std::vector<wchar_t> resolved(4096);
    if (SUCCEEDED(SHLoadIndirectString(source.c_str(), resolved.data(),
                                       static_cast<UINT>(resolved.size()), nullptr)) &&
        resolved[0] != L'\0') {
        return resolved.data();
    }
    return task.taskId;
}

// The executable's full path, quoted when it holds a blank, and its parameters.
std::wstring CommandOf(const InstalledPackage& package, const ManifestStartupTask& task) {
    std::wstring relative = task.executable;
    for (wchar_t& c : relative) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    relative.erase(0, std::min(relative.find_first_not_of(L'\\'), relative.size()));
    std::wstring command = package.folder + relative;
    if (command.find(L' ') != std::wstring::npos) {
        command = L"\"" + command + L"\"";
    }
    if (!task.parameters.empty()) {
        command += L" " + task.parameters;
    }
    return command;
}

// The rows of one package's tasks; false when its manifest cannot be read,
// or names a task that no location string can carry exactly.
bool AppendPackageRows(const InstalledPackage& package, std::vector<StartupEntry>& rows) {
    std::string family;
    if (package.manifestPath.empty() || package.family.empty() ||
        !NarrowExactly(package.family, family)) {
        return false;
    }
    const AppManifest* manifest = LoadManifest(package.manifestPath);
    if (manifest == nullptr) {
        return false;
    }
    std::vector<StartupEntry> found;
    for (const ManifestStartupTask& task : manifest->tasks) {
        std::string taskId;
        if (!NarrowExactly(task.taskId, taskId) || taskId.find('\\') != std::string::npos) {
            return false;
        }
        const TaskStateNow now = StateNow(ReadTaskState(family, taskId), task.enabled);
        StartupEntry row;
        // The code page may lack some characters of the name and the path:
        // the row shows "?" for them, and its task is found by its location.
        row.title = Narrow(DisplayName(package, *manifest, task));
        row.command = Narrow(CommandOf(package, task));
        row.location = PackagedTaskLocationString(family, taskId);
        row.icon = kIconOfCommand;
        row.checked = true;
        row.switchedOff = !now.on;
        row.byPolicy = now.byPolicy;
        found.push_back(std::move(row));
    }
    for (StartupEntry& row : found) {
        rows.push_back(std::move(row));
    }
    return true;
}

// The installed package of the family (compared without regard to case)
// whose manifest declares the task; false when there is none.
bool FindDeclaredTask(const std::string& family, const std::string& taskId,
                      ManifestStartupTask& declared) {
    const WideKey packages(HKEY_CURRENT_USER, PackagesKeyPath());
    if (packages.key == nullptr) {
        return false;
    }
    const std::wstring wideFamily = Wide(family);
    const std::wstring wideTask = Wide(taskId);
    for (const std::wstring& fullName : PackageFullNames(packages.key)) {
        const std::wstring packageFamily = PackageFamilyOf(fullName);
        if (packageFamily.empty() ||
            CompareStringOrdinal(packageFamily.c_str(), -1, wideFamily.c_str(), -1, TRUE) !=
                CSTR_EQUAL) {
            continue;
        }
        const InstalledPackage package = DescribePackage(packages.key, fullName);
        const AppManifest* manifest =
            package.manifestPath.empty() ? nullptr : LoadManifest(package.manifestPath);
        if (manifest == nullptr) {
            continue;
        }
        for (const ManifestStartupTask& task : manifest->tasks) {
            if (CompareStringOrdinal(task.taskId.c_str(), -1, wideTask.c_str(), -1, TRUE) ==
                CSTR_EQUAL) {
                declared = task;
                return true;
            }
        }
    }
    return false;
}

TaskSwitchOutcome Outcome(TaskSwitchResult result, long code = 0) {
    TaskSwitchOutcome outcome;
    outcome.result = result;
    outcome.code = code;
    return outcome;
}

// Writes one REG_DWORD value; the registry's answer.
LONG SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value));
}

} // namespace

std::wstring PackageFamilyOf(const std::wstring& fullName) {
    std::vector<std::wstring> fields;
    for (std::size_t at = 0;;) {
        const std::size_t next = fullName.find(L'_', at);
        fields.push_back(fullName.substr(at, next == std::wstring::npos ? next : next - at));
        if (next == std::wstring::npos) {
            break;
        }
        at = next + 1;
    }
    if (fields.size() != 5 || fields[0].empty() || fields[4].empty()) {
        return std::wstring();
    }
    return fields[0] + L"_" + fields[4];
}

PackagedTaskScan ScanPackagedTasks() {
    PackagedTaskScan scan;
    const WideKey packages(HKEY_CURRENT_USER, PackagesKeyPath());
    if (packages.key == nullptr) {
        return scan;
    }
    std::set<std::wstring> seen;
    for (const std::wstring& fullName : PackageFullNames(packages.key)) {
        const InstalledPackage package = DescribePackage(packages.key, fullName);
        if (!AppendPackageRows(package, scan.rows)) {
            scan.unreadable.push_back(Narrow(fullName));
        }
        seen.insert(package.manifestPath);
    }
    // Packages removed since: their manifests are not kept.
    std::map<std::wstring, CachedManifest>& cache = ManifestCache();
    for (auto it = cache.begin(); it != cache.end();) {
        it = seen.count(it->first) != 0 ? std::next(it) : cache.erase(it);
    }
    return scan;
}

TaskStateNow ReadPackagedTaskNow(const LocationClass& place) {
    ManifestStartupTask declared;
    if (place.kind != LocationKind::PackagedTask ||
        !FindDeclaredTask(place.family, place.taskId, declared)) {
        return TaskStateNow();
    }
    return StateNow(ReadTaskState(place.family, place.taskId), declared.enabled);
}

TaskSwitchOutcome SwitchPackagedTask(const LocationClass& place, bool on) {
    const TaskStateNow before = ReadPackagedTaskNow(place);
    if (!before.exists) {
        return Outcome(TaskSwitchResult::Gone);
    }
    if (before.byPolicy) {
        return Outcome(TaskSwitchResult::ByPolicy);
    }
    const DWORD state = on ? 2 : 1;
    RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, place.keyPath, KEY_SET_VALUE | KEY_QUERY_VALUE)) {
        return Outcome(key.error() == ERROR_ACCESS_DENIED ? TaskSwitchResult::AccessDenied
                                                          : TaskSwitchResult::Failed,
                       key.error());
    }
    LONG written = SetDword(key.get(), "State", state);
    if (written == ERROR_SUCCESS && on) {
        // Windows marks a task that the user turned on.
        written = SetDword(key.get(), "UserEnabledStartupOnce", 1);
    }
    if (written != ERROR_SUCCESS) {
        return Outcome(written == ERROR_ACCESS_DENIED ? TaskSwitchResult::AccessDenied
                                                      : TaskSwitchResult::Failed,
                       written);
    }
    key.Close();
    const bool taken =
        ReadTaskState(place.family, place.taskId) == (on ? TaskState::On : TaskState::OffByUser);
    return Outcome(taken ? TaskSwitchResult::Done : TaskSwitchResult::NotTaken);
}

} // namespace kv
