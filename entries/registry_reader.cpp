#include "entries/registry_reader.h"

#include "entries/catalogue.h"
#include "entries/registry.h"

namespace kv {

namespace {

StartupEntry RegistryRow(const RegValue& value, const std::string& command,
                         const std::string& location) {
    StartupEntry row;
    row.title = value.name;
    row.command = command;
    row.location = location;
    // A name the code page cannot carry is kept exactly beside its title.
    if (!value.nameExact) {
        row.exactName = value.wideName;
    }
    // What the value holds, for a change check that puts it back: exactly,
    // as the wide calls give it, when the code page cannot carry it.
    row.kept.hasValue = true;
    row.kept.valueType = value.type;
    row.kept.wide = !value.dataExact;
    row.kept.valueBytes = value.dataExact ? value.data : value.wideData;
    // The icon is that of the program file the command starts.
    row.icon = command.empty() ? 0 : kIconOfCommand;
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
    ForEachValue(key.get(), [&](const RegValue& value) {
        // Windows starts string values, and expandable ones with their
        // variables expanded; the command shows the data as stored.
        if (value.type == REG_SZ || value.type == REG_EXPAND_SZ) {
            scan.rows.push_back(RegistryRow(value, DataAsText(value.data), location));
        }
        return true;
    });
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
    ForEachSubkey(key.get(), [&](const std::string& subkeyName) {
        // Full access is asked first, as the removers will need it; a user
        // without write rights still sees what will start.
        RegKey subkey;
        const std::string subkeyPath = keyPath + "\\" + subkeyName;
        if (!subkey.Open(root, subkeyPath, KEY_ALL_ACCESS) &&
            !subkey.Open(root, subkeyPath, KEY_QUERY_VALUE)) {
            return;
        }
        const std::string location = RegistryLocationString(rootName, subkeyPath);
        ForEachValue(subkey.get(), [&](const RegValue& value) {
            scan.rows.push_back(RegistryRow(value, DataAsText(value.data), location));
            return true;
        });
    });
    return scan;
}

} // namespace kv
