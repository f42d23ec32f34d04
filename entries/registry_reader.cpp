#include "entries/registry_reader.h"

#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/registry.h"

namespace kv {

namespace {

StartupEntry RegistryRow(const RegValue& value, const std::string& command,
                         const std::string& location, const PathEnvironment& env) {
    StartupEntry row;
    row.title = value.name;
    row.command = command;
    row.location = location;
    // What the value holds, for a change check that puts it back.
    row.kept.hasValue = true;
    row.kept.valueType = value.type;
    row.kept.valueBytes = value.data;
    if (command.empty()) {
        row.icon = 0;
    } else {
        row.icon = kIconLookup;
        row.programPath = ResolveProgramFileIn(command, env);
        row.iconPath = row.programPath;
    }
    return row;
}

} // namespace

RegistryScan ScanRegistryKey(const std::string& rootName, const std::string& keyPath) {
    RegistryScan scan;
    const std::string location = RegistryLocationString(rootName, keyPath);
    RegKey key;
    if (!key.Open(RootKeyFromName(rootName), keyPath, KEY_QUERY_VALUE)) {
        return scan;
    }
    scan.opened = true;
    const PathEnvironment env = SystemPathEnvironment();
    RegValue value;
    for (DWORD index = 0;; ++index) {
        const LONG status = EnumValueAt(key.get(), index, value);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS) {
            if (status == ERROR_MORE_DATA) {
                continue; // a name longer than the registry allows: skip it
            }
            break;
        }
        // Windows starts string values, and expandable ones with their
        // variables expanded; the command shows the data as stored.
        if (value.type != REG_SZ && value.type != REG_EXPAND_SZ) {
            continue;
        }
        scan.rows.push_back(RegistryRow(value, DataAsText(value.data), location, env));
    }
    return scan;
}

RegistryScan ScanRegistrySubkeys(const std::string& rootName, const std::string& keyPath) {
    RegistryScan scan;
    const HKEY root = RootKeyFromName(rootName);
    RegKey key;
    if (!key.Open(root, keyPath, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE)) {
        return scan;
    }
    scan.opened = true;
    const PathEnvironment env = SystemPathEnvironment();
    std::string subkeyName;
    for (DWORD index = 0;; ++index) {
        const LONG status = EnumSubkeyAt(key.get(), index, subkeyName);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status != ERROR_SUCCESS) {
            if (status == ERROR_MORE_DATA) {
                continue;
            }
            break;
        }
        // Full access is asked first, as the removers will need it; a user
        // without write rights still sees what will start.
        RegKey subkey;
        const std::string subkeyPath = keyPath + "\\" + subkeyName;
        if (!subkey.Open(root, subkeyPath, KEY_ALL_ACCESS) &&
            !subkey.Open(root, subkeyPath, KEY_QUERY_VALUE)) {
            continue;
        }
        const std::string location = RegistryLocationString(rootName, subkeyPath);
        RegValue value;
        for (DWORD valueIndex = 0;; ++valueIndex) {
            const LONG valueStatus = EnumValueAt(subkey.get(), valueIndex, value);
            if (valueStatus == ERROR_NO_MORE_ITEMS) {
                break;
            }
            if (valueStatus != ERROR_SUCCESS) {
                if (valueStatus == ERROR_MORE_DATA) {
                    continue;
                }
                break;
            }
            scan.rows.push_back(RegistryRow(value, DataAsText(value.data), location, env));
        }
    }
    return scan;
}

} // namespace kv
