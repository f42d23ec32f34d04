#include "entries/location_dispatch.h"

#include "entries/catalogue.h"
#include "entries/command_path.h"
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

bool IsRegistry(LocationKind kind) {
    return kind == LocationKind::RegistryKey || kind == LocationKind::RegistrySubkey ||
           kind == LocationKind::RunOnceExSection;
}

} // namespace

LocationOutcome RemoveEntry(const std::string& title, const std::string& command,
                            const std::string& location) {
    const LocationClass place = ClassifyLocation(location);
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
    case LocationKind::Unknown:
        break;
    }
    return Refusal(OutcomeKind::UnknownLocation, title, location);
}

LocationOutcome WriteEntry(const std::string& title, const std::string& command,
                           const std::string& location) {
    const LocationClass place = ClassifyLocation(location);
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
    case LocationKind::Unknown:
        break;
    }
    return Refusal(OutcomeKind::UnknownLocation, title, location);
}

bool KeepEntryForm(StartupEntry& entry,
                   const std::function<std::string(const std::string&)>& keptPathFor,
                   LocationOutcome& refusal) {
    entry.kept = KeptForm();
    const LocationClass place = ClassifyLocation(entry.location);
    if (place.kind == LocationKind::Unknown) {
        refusal = Refusal(OutcomeKind::UnknownLocation, entry.title, entry.location);
        return false;
    }
    if (IsRegistry(place.kind)) {
        RegKey key;
        DWORD type = REG_NONE;
        std::string bytes;
        if (!key.Open(RootKeyFromName(place.root), place.keyPath, KEY_QUERY_VALUE) ||
            QueryValue(key.get(), entry.title, type, bytes) != ERROR_SUCCESS) {
            refusal = Refusal(OutcomeKind::NotRemoved, entry.title, entry.location);
            return false;
        }
        entry.kept.hasValue = true;
        entry.kept.valueType = type;
        entry.kept.valueBytes = bytes;
        return true;
    }
    if (place.kind == LocationKind::WinIni) {
        return true;
    }
    if (!IsPlainFileName(entry.title)) {
        refusal = Refusal(OutcomeKind::BadFileName, entry.title, entry.location);
        return false;
    }
    const std::string path = place.folder + "\\" + entry.title;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        refusal = Refusal(OutcomeKind::NotRemoved, entry.title, entry.location);
        return false;
    }
    const std::string keptPath =
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? std::string() : keptPathFor(entry.title);
    if (keptPath.empty() || !CopyFileA(path.c_str(), keptPath.c_str(), TRUE)) {
        refusal = Refusal(OutcomeKind::CannotBeKept, entry.title, entry.location);
        return false;
    }
    entry.kept.file = keptPath;
    return true;
}

LocationOutcome WriteKeptEntry(const StartupEntry& entry) {
    const LocationClass place = ClassifyLocation(entry.location);
    if (IsRegistry(place.kind) && entry.kept.hasValue) {
        return SetRegistryValueExactly(
            place.root, place.keyPath, entry.title, entry.kept.valueType, entry.kept.valueBytes,
            place.kind == LocationKind::RunOnceExSection ? OutcomeBox::CantCreateSection
                                                         : OutcomeBox::CantCreateValue);
    }
    if (place.kind == LocationKind::StartupFolder && !entry.kept.file.empty() &&
        GetFileAttributesA(entry.kept.file.c_str()) != INVALID_FILE_ATTRIBUTES) {
        if (!IsPlainFileName(entry.title)) {
            return Refusal(OutcomeKind::BadFileName, entry.title, entry.location);
        }
        return RestoreStartupFile(entry.kept.file, place.folder, entry.title);
    }
    return WriteEntry(entry.title, entry.command, entry.location);
}

} // namespace kv
