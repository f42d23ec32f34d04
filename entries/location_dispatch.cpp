#include "entries/location_dispatch.h"

#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/entry_identity.h"
#include "entries/location_removers.h"
#include "entries/location_writers.h"
#include "entries/registry.h"

#include <windows.h>

namespace kv {

namespace {

LocationOutcome Refusal(OutcomeKind kind, const std::string& title, const std::string& location) {
    LocationOutcome outcome;
    outcome.kind = kind;
    outcome.name = title;
    outcome.detail = location;
    return outcome;
}

// EntryIsExact for texts whose location is known to be of this kind.
bool TextsAreExactAt(const std::string& title, const std::string& command,
                     const std::string& location, bool hasExactName, LocationKind kind) {
    // A "?" stands for a character the code page could not carry; no real
    // key, file or path holds one, and a value name that does is kept
    // exactly beside its title.
    if (location.find('?') != std::string::npos) {
        return false;
    }
    if (kind == LocationKind::WinIni) {
        return command.find('?') == std::string::npos;
    }
    if (kind == LocationKind::PackagedTask) {
        return true; // found by its location alone; the title is its display name
    }
    return title.find('?') == std::string::npos || hasExactName;
}

bool EntryIsExactAt(const StartupEntry& entry, LocationKind kind) {
    return TextsAreExactAt(entry.title, entry.command, entry.location, !entry.exactName.empty(),
                           kind);
}

// RemoveEntry of the texts at a location already classified.
LocationOutcome RemoveEntryAt(const LocationClass& place, const std::string& title,
                              const std::string& command, const std::string& location) {
    switch (place.kind) {
    case LocationKind::RegistryKey:
    case LocationKind::RegistrySubkey:
    case LocationKind::RunOnceExSection:
        return RemoveRegistryValue(RootKeyFromName(place.root), place.keyPath, title);
    case LocationKind::WinIni:
        return RemoveWinIniItem(command, place.parameter);
    case LocationKind::StartupFolder:
        if (!IsPlainFileName(title)) {
            return Refusal(OutcomeKind::BadFileName, title, location);
        }
        return DeleteStartupFile(place.folder, title);
    case LocationKind::PackagedTask:
    case LocationKind::ScheduledTask:
        return Refusal(OutcomeKind::OnlySwitched, title, location);
    case LocationKind::Unknown:
        break;
    }
    return Refusal(OutcomeKind::UnknownLocation, title, location);
}

// WriteEntry at a location already classified.
LocationOutcome WriteEntryAt(const LocationClass& place, const std::string& title,
                             const std::string& command, const std::string& location) {
    // Nothing is written under a name with "?" in place of a character.
    if (!TextsAreExactAt(title, command, location, false, place.kind)) {
        return Refusal(OutcomeKind::NotExact, title, location);
    }
    switch (place.kind) {
    case LocationKind::RegistryKey:
    case LocationKind::RegistrySubkey:
        return AddRegistryCommand(place.root, place.keyPath, title, command);
    case LocationKind::RunOnceExSection:
        return AddRunOnceExCommand(title, command, place.keyPath);
    case LocationKind::WinIni:
        // An item read from the line goes back as it stood there; only a
        // command with blanks or commas needs its short form to stay one item.
        return AddWinIniItem(command, place.parameter,
                             command.find_first_of(" ,") != std::string::npos);
    case LocationKind::StartupFolder:
        if (!IsPlainFileName(title)) {
            return Refusal(OutcomeKind::BadFileName, title, location);
        }
        return CreateStartupShortcut(place.folder, title,
                                     ResolveCommandPath(command, ResolveMode::ProgramPath),
                                     ResolveCommandPath(command, ResolveMode::Arguments));
    case LocationKind::PackagedTask:
    case LocationKind::ScheduledTask:
        return Refusal(OutcomeKind::OnlySwitched, title, location);
    case LocationKind::Unknown:
        break;
    }
    return Refusal(OutcomeKind::UnknownLocation, title, location);
}

} // namespace

bool EntryIsExact(const StartupEntry& entry) {
    // win.ini's strings name no folder: no look-up is needed to know them.
    return EntryIsExactAt(entry,
                          ClassifyLocationIn(entry.location, std::string(), std::string()).kind);
}

LocationOutcome RemoveEntry(const StartupEntry& entry) {
    const LocationClass place = ClassifyLocation(entry.location);
    if (!EntryIsExactAt(entry, place.kind)) {
        return Refusal(OutcomeKind::NotExact, entry.title, entry.location);
    }
    if (entry.exactName.empty()) {
        return RemoveEntryAt(place, entry.title, entry.command, entry.location);
    }
    if (IsRegistryKind(place.kind)) {
        return RemoveRegistryValueWide(RootKeyFromName(place.root), place.keyPath, entry.exactName,
                                       entry.title);
    }
    if (place.kind == LocationKind::StartupFolder) {
        return DeleteStartupFileWide(place.folder, entry.exactName, entry.title);
    }
    return Refusal(IsTaskKind(place.kind) ? OutcomeKind::OnlySwitched
                                          : OutcomeKind::UnknownLocation,
                   entry.title, entry.location);
}

LocationOutcome RemoveEntry(const std::string& title, const std::string& command,
                            const std::string& location) {
    return RemoveEntryAt(ClassifyLocation(location), title, command, location);
}

LocationOutcome WriteEntry(const std::string& title, const std::string& command,
                           const std::string& location) {
    return WriteEntryAt(ClassifyLocation(location), title, command, location);
}

bool KeepEntryForm(StartupEntry& entry,
                   const std::function<std::string(const std::string&)>& keptPathFor,
                   LocationOutcome& refusal) {
    entry.kept = KeptForm();
    const LocationClass place = ClassifyLocation(entry.location);
    if (IsTaskKind(place.kind)) {
        refusal = Refusal(OutcomeKind::OnlySwitched, entry.title, entry.location);
        return false;
    }
    if (place.kind == LocationKind::Unknown) {
        refusal = Refusal(OutcomeKind::UnknownLocation, entry.title, entry.location);
        return false;
    }
    if (!EntryIsExactAt(entry, place.kind)) {
        refusal = Refusal(OutcomeKind::NotExact, entry.title, entry.location);
        return false;
    }
    if (IsRegistryKind(place.kind)) {
        RegKey key;
        DWORD type = REG_NONE;
        std::string wideBytes;
        if (!key.Open(RootKeyFromName(place.root), place.keyPath, KEY_QUERY_VALUE) ||
            QueryValueWide(key.get(), ExactNameOf(entry), type, wideBytes) != ERROR_SUCCESS) {
            refusal = Refusal(OutcomeKind::NotRemoved, entry.title, entry.location);
            return false;
        }
        // The bytes in the code page when it carries them, as older records
        // hold them; else exactly as the wide calls give them.
        std::string bytes;
        entry.kept.hasValue = true;
        entry.kept.valueType = type;
        entry.kept.wide = !NarrowValueData(type, wideBytes, bytes);
        entry.kept.valueBytes = entry.kept.wide ? wideBytes : bytes;
        return true;
    }
    if (place.kind == LocationKind::WinIni) {
        return true;
    }
    if (!IsPlainFileName(entry.title)) {
        refusal = Refusal(OutcomeKind::BadFileName, entry.title, entry.location);
        return false;
    }
    const std::wstring path = Wide(place.folder) + L"\\" + ExactNameOf(entry);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        refusal = Refusal(OutcomeKind::NotRemoved, entry.title, entry.location);
        return false;
    }
    const std::string keptPath =
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? std::string() : keptPathFor(entry.title);
    if (keptPath.empty() || !CopyFileW(path.c_str(), Wide(keptPath).c_str(), TRUE)) {
        refusal = Refusal(OutcomeKind::CannotBeKept, entry.title, entry.location);
        return false;
    }
    entry.kept.file = keptPath;
    return true;
}

LocationOutcome WriteKeptEntry(const StartupEntry& entry) {
    const LocationClass place = ClassifyLocation(entry.location);
    if (!EntryIsExactAt(entry, place.kind)) {
        return Refusal(OutcomeKind::NotExact, entry.title, entry.location);
    }
    const OutcomeBox box = place.kind == LocationKind::RunOnceExSection
                               ? OutcomeBox::CantCreateSection
                               : OutcomeBox::CantCreateValue;
    if (IsRegistryKind(place.kind) && entry.kept.hasValue) {
        if (entry.exactName.empty() && !entry.kept.wide) {
            return SetRegistryValueExactly(place.root, place.keyPath, entry.title,
                                           entry.kept.valueType, entry.kept.valueBytes, box);
        }
        const std::string wideBytes = entry.kept.wide || !IsStringValueType(entry.kept.valueType)
                                          ? entry.kept.valueBytes
                                          : BytesOfWide(Wide(entry.kept.valueBytes));
        return SetRegistryValueWide(place.root, place.keyPath, ExactNameOf(entry), entry.title,
                                    entry.kept.valueType, wideBytes, box);
    }
    if (IsRegistryKind(place.kind) && !entry.exactName.empty()) {
        // An older record of a value with an exact name keeps only its
        // texts: the value comes back under that name as a string of its
        // command.
        return SetRegistryValueWide(place.root, place.keyPath, entry.exactName, entry.title,
                                    REG_SZ, BytesOfWide(Wide(entry.command + '\0')), box);
    }
    if (place.kind == LocationKind::StartupFolder && !entry.kept.file.empty() &&
        GetFileAttributesA(entry.kept.file.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!IsPlainFileName(entry.title)) {
            return Refusal(OutcomeKind::BadFileName, entry.title, entry.location);
        }
        return RestoreStartupFile(entry.kept.file, place.folder, entry.title, entry.exactName);
    }
    return WriteEntryAt(place, entry.title, entry.command, entry.location);
}

} // namespace kv
