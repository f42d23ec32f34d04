#include "entries/location_watch.h"

#include "base/text.h"
#include "entries/catalogue.h"
#include "entries/startup_folder.h"
#include "entries/registry.h"
#include "entries/startup_switch.h"

#include <process.h>

namespace kv {

namespace {

// win.ini's section "windows" as the profile functions keep it on NT.
const char* const kWinIniMappingKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

constexpr DWORD kKeyChanges = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
constexpr DWORD kFolderChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                 FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                                 FILE_NOTIFY_CHANGE_LAST_WRITE;

// One watched place and the notifications armed for it now: the place itself
// (or, while it does not exist, its nearest existing parent), and, while the
// place itself is watched, the names in its parent, which tell of its own
// deletion and creation (a watch of a key is not told when that very key is
// deleted, under Wine at least).
struct Slot {
    bool folder = false;
    WatchedKey key;   // a registry key
    int selector = 0; // a Startup folder
    bool onParent = false;
    HKEY openKey = nullptr;   // the key (or parent) the main notification is armed on
    HKEY parentKey = nullptr; // the parent whose names are watched beside it
    HANDLE event = nullptr;
    HANDLE parentEvent = nullptr;
    HANDLE change = INVALID_HANDLE_VALUE; // a folder's (or its parent's) notification
    HANDLE parentChange = INVALID_HANDLE_VALUE;

    bool armed() const { return folder ? change != INVALID_HANDLE_VALUE : openKey != nullptr; }
    // The handles to wait on: none, one or two.
    void AddWaitables(std::vector<HANDLE>& handles) const {
        if (folder) {
            if (change != INVALID_HANDLE_VALUE) {
                handles.push_back(change);
            }
            if (parentChange != INVALID_HANDLE_VALUE) {
                handles.push_back(parentChange);
            }
        } else {
            if (openKey != nullptr) {
                handles.push_back(event);
            }
            if (parentKey != nullptr) {
                handles.push_back(parentEvent);
            }
        }
    }
};

void CloseKey(HKEY& key) {
    if (key != nullptr) {
        RegCloseKey(key);
        key = nullptr;
    }
}

void CloseEvent(HANDLE& event) {
    if (event != nullptr) {
        CloseHandle(event);
        event = nullptr;
    }
}

void CloseChange(HANDLE& change) {
    if (change != INVALID_HANDLE_VALUE) {
        FindCloseChangeNotification(change);
        change = INVALID_HANDLE_VALUE;
    }
}

// Closing a key may complete its notification: the events go with the keys,
// and the next ones start unsignalled.
void Disarm(Slot& slot) {
    CloseKey(slot.openKey);
    CloseKey(slot.parentKey);
    CloseEvent(slot.event);
    CloseEvent(slot.parentEvent);
    CloseChange(slot.change);
    CloseChange(slot.parentChange);
    slot.onParent = false;
}

REGSAM InView(HKEY root, REGSAM access) {
    return root == HKEY_LOCAL_MACHINE ? access | KEY_WOW64_64KEY : access;
}

// Opens the key at `path` and arms a notification on it into `event` (made
// here); false, with nothing left open, when either fails.
bool ArmOn(HKEY root, const std::string& path, bool subtree, DWORD changes, HKEY& key,
           HANDLE& event) {
    if (RegOpenKeyExA(root, path.c_str(), 0, InView(root, KEY_NOTIFY), &key) != ERROR_SUCCESS) {
        key = nullptr;
        return false;
    }
    event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (event != nullptr &&
        RegNotifyChangeKeyValue(key, subtree ? TRUE : FALSE, changes, event, TRUE) ==
            ERROR_SUCCESS) {
        return true;
    }
    CloseKey(key);
    CloseEvent(event);
    return false;
}

// The key itself (its whole subtree) and the names in its parent; or, while
// it does not exist, the names in its nearest existing parent.
void ArmKey(Slot& slot) {
    Disarm(slot);
    const HKEY root = slot.key.root;
    if (ArmOn(root, slot.key.path, true, kKeyChanges, slot.openKey, slot.event)) {
        ArmOn(root, ParentPath(slot.key.path), false, REG_NOTIFY_CHANGE_NAME, slot.parentKey,
              slot.parentEvent);
        return;
    }
    std::string path = slot.key.path;
    while (!path.empty()) {
        path = ParentPath(path);
        HKEY probe = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, InView(root, KEY_NOTIFY), &probe) ==
            ERROR_SUCCESS) {
            RegCloseKey(probe);
            slot.onParent =
                ArmOn(root, path, false, REG_NOTIFY_CHANGE_NAME, slot.openKey, slot.event);
            return;
        }
    }
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A folder's parent as a folder path: "C:\" rather than "C:".
std::string ParentFolder(const std::string& folder) {
    std::string parent = ParentPath(folder);
    if (!parent.empty() && parent.back() == ':') {
        parent += '\\';
    }
    return parent == folder ? std::string() : parent;
}

// The Startup folder as the system names it now and the names of the folders
// beside it; or, while it does not exist, the names of the folders in its
// nearest existing parent.
void ArmFolder(Slot& slot) {
    Disarm(slot);
    std::string path = GetStartupFolderPath(slot.selector);
    bool parent = false;
    while (!path.empty()) {
        if (IsFolder(path)) {
            slot.change = FindFirstChangeNotificationA(
                path.c_str(), FALSE, parent ? FILE_NOTIFY_CHANGE_DIR_NAME : kFolderChanges);
            slot.onParent = parent && slot.change != INVALID_HANDLE_VALUE;
            const std::string above = ParentFolder(path);
            if (!parent && slot.change != INVALID_HANDLE_VALUE && !above.empty()) {
                slot.parentChange =
                    FindFirstChangeNotificationA(above.c_str(), FALSE, FILE_NOTIFY_CHANGE_DIR_NAME);
            }
            return;
        }
        path = ParentFolder(path);
        parent = true;
    }
}

// After a notification the place is armed afresh: it may have been made,
// deleted, made again or moved meanwhile, and a handle of a deleted key may
// be armed again without an error and never fire. A change between the close
// and the new arming is not lost: the check this notice brings reads the set
// after it.
void Arm(Slot& slot) {
    if (slot.folder) {
        ArmFolder(slot);
    } else {
        ArmKey(slot);
    }
}

} // namespace

std::string ParentPath(const std::string& path) {
    const std::size_t last = path.find_last_of('\\');
    return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::vector<WatchedKey> WithoutCoveredKeys(const std::vector<WatchedKey>& keys) {
    std::vector<WatchedKey> kept;
    for (const WatchedKey& key : keys) {
        const std::string path = LowerAscii(key.path);
        bool covered = false;
        for (const WatchedKey& other : keys) {
            const std::string below = LowerAscii(other.path);
            if (other.root == key.root && path.size() > below.size() &&
                path.compare(0, below.size(), below) == 0 && path[below.size()] == '\\') {
                covered = true;
            }
        }
        for (const WatchedKey& earlier : kept) {
            if (earlier.root == key.root && LowerAscii(earlier.path) == path) {
                covered = true;
            }
        }
        if (!covered) {
            kept.push_back(key);
        }
    }
    return kept;
}

std::vector<WatchedKey> WatchedRegistryKeys() {
    std::vector<WatchedKey> keys;
    for (const RegistryLocation& location : kValueKeys) {
        keys.push_back({RootKeyFromName(location.root), location.keyPath});
    }
    for (const RegistryLocation& location : kSubkeyKeys) {
        keys.push_back({RootKeyFromName(location.root), location.keyPath});
    }
    keys.push_back({HKEY_CURRENT_USER, kStartupApprovedKey});
    keys.push_back({HKEY_LOCAL_MACHINE, kStartupApprovedKey});
    keys.push_back({HKEY_CURRENT_USER, kWinIniMappingKey});
    keys.push_back({HKEY_CURRENT_USER, kAppModelStateKey});
    return WithoutCoveredKeys(keys);
}

LocationWatch::LocationWatch(std::function<void()> notice) : notice_(std::move(notice)) {
    stop_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    armed_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stop_.valid() || !armed_.valid()) {
        return;
    }
    thread_.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &Run, this, 0, nullptr)));
}

LocationWatch::~LocationWatch() {
    if (thread_.valid()) {
        SetEvent(stop_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }
}

bool LocationWatch::WaitArmed(DWORD milliseconds) const {
    return armed_.valid() && WaitForSingleObject(armed_.get(), milliseconds) == WAIT_OBJECT_0;
}

unsigned __stdcall LocationWatch::Run(void* self) {
    static_cast<LocationWatch*>(self)->Loop();
    return 0;
}

// The notifications are armed here, on the thread that waits for them: a
// registry notification ends with the thread that asked for it.
void LocationWatch::Loop() {
    std::vector<Slot> slots;
    for (const WatchedKey& key : WatchedRegistryKeys()) {
        Slot slot;
        slot.key = key;
        slots.push_back(slot);
    }
    for (const int selector : {kCurrentUserStartup, kAllUsersStartup}) {
        Slot slot;
        slot.folder = true;
        slot.selector = selector;
        slots.push_back(slot);
    }
    // One wait takes the stop event and two handles a place: at most
    // (MAXIMUM_WAIT_OBJECTS - 1) / 2 places; any beyond are left to the timed
    // check.
    const std::size_t most = (MAXIMUM_WAIT_OBJECTS - 1) / 2;
    const int beyond = slots.size() > most ? static_cast<int>(slots.size() - most) : 0;
    if (slots.size() > most) {
        slots.resize(most);
    }
    const auto count = [&] {
        int parent = 0;
        int none = beyond;
        for (const Slot& slot : slots) {
            parent += slot.armed() && slot.onParent ? 1 : 0;
            none += slot.armed() ? 0 : 1;
        }
        onParent_ = parent;
        unwatched_ = none;
    };
    for (Slot& slot : slots) {
        Arm(slot);
    }
    count();
    SetEvent(armed_.get());

    std::vector<HANDLE> handles;
    std::vector<std::size_t> slotOf;
    for (;;) {
        handles.assign(1, stop_.get());
        slotOf.assign(1, 0);
        for (std::size_t i = 0; i < slots.size(); ++i) {
            slots[i].AddWaitables(handles);
            slotOf.resize(handles.size(), i);
        }
        const DWORD waited = WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                    handles.data(), FALSE, INFINITE);
        if (waited == WAIT_OBJECT_0 || waited < WAIT_OBJECT_0 ||
            waited >= WAIT_OBJECT_0 + handles.size()) {
            break; // stopped, or the wait itself failed
        }
        Arm(slots[slotOf[waited - WAIT_OBJECT_0]]);
        count();
        ++notices_;
        notice_();
    }
    for (Slot& slot : slots) {
        Disarm(slot);
    }
}

} // namespace kv
