#include "entries/startup_switch.h"

#include "base/handles.h"
#include "base/text.h"
#include "entries/registry.h"

namespace kv {

const char* const kStartupApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";

namespace {

const char* const kApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";

// The five locations that have a switch, and the key of each.
struct SwitchedLocation {
    LocationKind kind;
    const char* root;    // registry: the location's root name
    const char* keyPath; // registry: the location's key path
    int folder;          // Startup folder: its selector
    HKEY switchRoot;
    const char* switchName;
};

const SwitchedLocation kSwitched[] = {
    {LocationKind::RegistryKey, "HKCU", kRunKey, 0, HKEY_CURRENT_USER, "Run"},
    {LocationKind::RegistryKey, "HKLM", kRunKey, 0, HKEY_LOCAL_MACHINE, "Run"},
    {LocationKind::RegistryKey, "HKLM", kRun32Key, 0, HKEY_LOCAL_MACHINE, "Run32"},
    {LocationKind::StartupFolder, "", "", 0, HKEY_CURRENT_USER, "StartupFolder"},
    {LocationKind::StartupFolder, "", "", 1, HKEY_LOCAL_MACHINE, "StartupFolder"},
};

std::string Entry(HKEY root, const std::string& keyPath, const std::string& name) {
    return (root == HKEY_CURRENT_USER ? "hkcu\\" : "hklm\\") + LowerAscii(keyPath) + "|" +
           LowerAscii(name);
}

// A name as the registry compares names: without regard to letter case.
std::wstring UpperName(const std::wstring& name) {
    std::wstring upper = name;
    if (!upper.empty()) {
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name.c_str(),
                     static_cast<int>(name.size()), &upper[0], static_cast<int>(upper.size()));
    }
    return upper;
}

std::wstring ExactEntry(HKEY root, const std::string& keyPath, const std::wstring& name) {
    return Wide(Entry(root, keyPath, std::string())) + UpperName(name);
}

} // namespace

SwitchKey SwitchKeyOf(const LocationClass& place) {
    SwitchKey key;
    for (const SwitchedLocation& switched : kSwitched) {
        const bool matches =
            place.kind == switched.kind &&
            (place.kind == LocationKind::StartupFolder
                 ? place.folderSelector == switched.folder
                 : place.root == switched.root && place.keyPath == switched.keyPath);
        if (matches) {
            key.root = switched.switchRoot;
            key.keyPath = std::string(kApprovedKey) + switched.switchName;
            return key;
        }
    }
    return key;
}

bool SwitchSaysOff(unsigned long type, const std::string& bytes) {
    return type == REG_BINARY && !bytes.empty() && (static_cast<unsigned char>(bytes[0]) & 1) != 0;
}

std::string SwitchTurnedOn(const std::string& bytes) {
    std::string on = bytes;
    if (!on.empty()) {
        on[0] = static_cast<char>(static_cast<unsigned char>(on[0]) & 0xFE);
    }
    for (std::size_t i = 4; i < on.size() && i < 12; ++i) {
        on[i] = '\0';
    }
    return on;
}

std::string SwitchTurnedOff(const std::string& bytes, unsigned long long when) {
    std::string off = bytes.size() >= 4 ? bytes : std::string("\x02\0\0\0", 4);
    if (off.size() < 12) {
        off.resize(12, '\0');
    }
    off[0] = static_cast<char>(static_cast<unsigned char>(off[0]) | 1);
    for (int i = 0; i < 8; ++i) {
        off[4 + i] = static_cast<char>((when >> (8 * i)) & 0xFF);
    }
    return off;
}

SwitchedOffEntries SwitchedOffEntries::Read() {
    SwitchedOffEntries entries;
    for (const SwitchedLocation& switched : kSwitched) {
        const std::string keyPath = std::string(kApprovedKey) + switched.switchName;
        RegKey key;
        if (!key.Open(switched.switchRoot, keyPath, KEY_QUERY_VALUE)) {
            continue;
        }
        ForEachValue(key.get(), [&](const RegValue& value) {
            if (SwitchSaysOff(value.type, value.data)) {
                entries.off_.insert(Entry(switched.switchRoot, keyPath, value.name));
                if (!value.nameExact) {
                    entries.offExact_.insert(
                        ExactEntry(switched.switchRoot, keyPath, value.wideName));
                }
            }
            return true;
        });
    }
    return entries;
}

bool SwitchedOffEntries::Contains(const LocationClass& place, const std::string& title) const {
    const SwitchKey key = SwitchKeyOf(place);
    return !key.keyPath.empty() && off_.count(Entry(key.root, key.keyPath, title)) != 0;
}

bool SwitchedOffEntries::Contains(const LocationClass& place, const StartupEntry& entry) const {
    if (entry.exactName.empty()) {
        return Contains(place, entry.title);
    }
    const SwitchKey key = SwitchKeyOf(place);
    return !key.keyPath.empty() &&
           offExact_.count(ExactEntry(key.root, key.keyPath, entry.exactName)) != 0;
}

namespace {

// The switch's name: the entry's exact name when it has one, else its title.
std::wstring SwitchName(const StartupEntry& entry) {
    return entry.exactName.empty() ? Wide(entry.title) : entry.exactName;
}

// Opens the switch key of the place and reads the switch named `name`; false
// when the place has no switch or the switch is not there.
bool ReadSwitch(const std::wstring& name, const LocationClass& place, SwitchKey& where, RegKey& key,
                DWORD& type, std::string& bytes) {
    where = SwitchKeyOf(place);
    return !where.keyPath.empty() && key.Open(where.root, where.keyPath, KEY_QUERY_VALUE) &&
           QueryValueWide(key.get(), name, type, bytes) == ERROR_SUCCESS;
}

bool TurnSwitchOnNamed(const std::wstring& name, const LocationClass& place) {
    SwitchKey where;
    RegKey key;
    DWORD type = REG_NONE;
    std::string bytes;
    if (!ReadSwitch(name, place, where, key, type, bytes) || !SwitchSaysOff(type, bytes)) {
        return true;
    }
    const std::string on = SwitchTurnedOn(bytes);
    return key.Open(where.root, where.keyPath, KEY_SET_VALUE) &&
           RegSetValueExW(key.get(), name.c_str(), 0, REG_BINARY,
                          reinterpret_cast<const BYTE*>(on.data()),
                          static_cast<DWORD>(on.size())) == ERROR_SUCCESS;
}

bool TurnSwitchOffNamed(const std::wstring& name, const LocationClass& place) {
    SwitchKey where;
    RegKey key;
    DWORD type = REG_NONE;
    std::string bytes;
    if (ReadSwitch(name, place, where, key, type, bytes) && SwitchSaysOff(type, bytes)) {
        return true;
    }
    if (where.keyPath.empty()) {
        return false;
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const std::string off = SwitchTurnedOff(
        type == REG_BINARY ? bytes : std::string(),
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
    return key.Create(where.root, where.keyPath, KEY_SET_VALUE) &&
           RegSetValueExW(key.get(), name.c_str(), 0, REG_BINARY,
                          reinterpret_cast<const BYTE*>(off.data()),
                          static_cast<DWORD>(off.size())) == ERROR_SUCCESS;
}

bool DeleteSwitchNamed(const std::wstring& name, const LocationClass& place) {
    SwitchKey where;
    RegKey key;
    DWORD type = REG_NONE;
    std::string bytes;
    if (!ReadSwitch(name, place, where, key, type, bytes)) {
        return true;
    }
    return key.Open(where.root, where.keyPath, KEY_SET_VALUE) &&
           RegDeleteValueW(key.get(), name.c_str()) == ERROR_SUCCESS;
}

} // namespace

bool TurnSwitchOn(const std::string& title, const LocationClass& place) {
    return TurnSwitchOnNamed(Wide(title), place);
}

bool DeleteSwitch(const std::string& title, const LocationClass& place) {
    return DeleteSwitchNamed(Wide(title), place);
}

bool TurnSwitchOn(const StartupEntry& entry) {
    return TurnSwitchOnNamed(SwitchName(entry), ClassifyLocation(entry.location));
}

bool TurnSwitchOff(const StartupEntry& entry) {
    return TurnSwitchOffNamed(SwitchName(entry), ClassifyLocation(entry.location));
}

bool DeleteSwitch(const StartupEntry& entry) {
    return DeleteSwitchNamed(SwitchName(entry), ClassifyLocation(entry.location));
}

} // namespace kv
