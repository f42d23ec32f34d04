#include "entries/location_removers.h"

#include "base/handles.h"
#include "entries/registry.h"
#include "entries/winini_edit.h"
#include "entries/winini_reader.h"
#include "entries/winini_value.h"

namespace kv {

namespace {

LocationOutcome Outcome(bool ok, const std::string& name) {
    LocationOutcome outcome;
    outcome.kind = ok ? OutcomeKind::Removed : OutcomeKind::NotRemoved;
    outcome.name = name;
    return outcome;
}

} // namespace

LocationOutcome RemoveRegistryValue(HKEY root, const std::string& keyPath,
                                    const std::string& valueName) {
    RegKey key;
    if (!key.Open(root, keyPath, KEY_ALL_ACCESS)) {
        return Outcome(false, valueName);
    }
    return Outcome(RegDeleteValueA(key.get(), valueName.c_str()) == ERROR_SUCCESS, valueName);
}

LocationOutcome RemoveRegistryValueWide(HKEY root, const std::string& keyPath,
                                        const std::wstring& valueName, const std::string& title) {
    RegKey key;
    if (!key.Open(root, keyPath, KEY_ALL_ACCESS)) {
        return Outcome(false, title);
    }
    return Outcome(RegDeleteValueW(key.get(), valueName.c_str()) == ERROR_SUCCESS, title);
}

LocationOutcome DeleteStartupFileWide(const std::string& folder, const std::wstring& fileName,
                                      const std::string& title) {
    const std::wstring path = Wide(folder) + L"\\" + fileName;
    return Outcome(DeleteFileW(path.c_str()) != FALSE, title);
}

LocationOutcome DeleteStartupFile(const std::string& folder, const std::string& fileName) {
    const std::string path = folder + "\\" + fileName;
    return Outcome(DeleteFileA(path.c_str()) != FALSE, fileName);
}

LocationOutcome RemoveWinIniItem(const std::string& item, const std::string& parameter) {
    // The line is read and written through the wide calls: its other items
    // may hold characters the code page cannot carry.
    std::wstring line = ReadWinIniValueWide(parameter);
    if (!RemoveWinIniItemFromLine(line, Wide(item))) {
        return LocationOutcome();
    }
    return Outcome(WriteWinIniValueWide(parameter, line), item);
}

} // namespace kv
