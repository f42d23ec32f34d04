#include "moves/location_now.h"

#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/entry_identity.h"
#include "entries/registry.h"
#include "entries/winini_reader.h"

#include <windows.h>

namespace kv {

namespace {

// The win.ini item of the line that is the entry's, as it stands there.
bool WinIniItemNow(const LocationClass& place, const std::string& item, std::string& now) {
    for (const std::string& candidate : SplitWinIniItems(ReadWinIniValue(place.parameter))) {
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, candidate.c_str(),
                           static_cast<int>(candidate.size()), item.c_str(),
                           static_cast<int>(item.size())) == CSTR_EQUAL) {
            now = candidate;
            return true;
        }
    }
    return false;
}

bool ReadValueNow(const LocationClass& place, const StartupEntry& entry, KeptForm& kept) {
    RegKey key;
    DWORD type = REG_NONE;
    std::string wideBytes;
    if (!key.Open(RootKeyFromName(place.root), place.keyPath, KEY_QUERY_VALUE) ||
        QueryValueWide(key.get(), ExactNameOf(entry), type, wideBytes) != ERROR_SUCCESS) {
        return false;
    }
    std::string bytes;
    kept.hasValue = true;
    kept.valueType = type;
    kept.wide = !NarrowValueData(type, wideBytes, bytes);
    kept.valueBytes = kept.wide ? wideBytes : bytes;
    return true;
}

} // namespace

std::string CommandOfKeptValue(const KeptForm& kept) {
    if (!kept.wide) {
        return DataAsText(kept.valueBytes);
    }
    // As the list shows it: each character the code page lacks as "?".
    std::string text;
    NarrowExactly(WideOfBytes(kept.valueBytes), text);
    return DataAsText(text);
}

bool ReadEntryNow(const StartupEntry& entry, StartupEntry& now) {
    const LocationClass place = ClassifyLocation(entry.location);
    now = entry;
    now.kept = KeptForm();
    if (IsRegistryKind(place.kind)) {
        if (!ReadValueNow(place, entry, now.kept)) {
            return false;
        }
        now.command = CommandOfKeptValue(now.kept);
        return true;
    }
    if (place.kind == LocationKind::WinIni) {
        return WinIniItemNow(place, entry.command, now.command);
    }
    if (place.kind == LocationKind::StartupFolder) {
        const std::wstring path = Wide(place.folder) + L"\\" + ExactNameOf(entry);
        // A folder inside a Startup folder is listed, but is no file that a
        // move could keep or replace.
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return !entry.title.empty() && attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }
    return false;
}

bool LocationHolds(const StartupEntry& entry) {
    // A value is only looked for: its data is not needed to know it is there.
    const LocationClass place = ClassifyLocation(entry.location);
    if (IsRegistryKind(place.kind)) {
        RegKey key;
        return key.Open(RootKeyFromName(place.root), place.keyPath, KEY_QUERY_VALUE) &&
               RegQueryValueExW(key.get(), ExactNameOf(entry).c_str(), nullptr, nullptr, nullptr,
                                nullptr) == ERROR_SUCCESS;
    }
    StartupEntry now;
    return ReadEntryNow(entry, now);
}

} // namespace kv
