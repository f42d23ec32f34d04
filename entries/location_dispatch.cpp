#include "entries/location_dispatch.h"

#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/location_removers.h"
#include "entries/location_writers.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "entries/text.h"

namespace kv {

const char* const kWinIniRunLocation = "section: [windows]; parameter: run";
const char* const kWinIniLoadLocation = "section: [windows]; parameter: load";

namespace {

const std::string kRunOnceExLower = "hklm\\software\\microsoft\\windows\\currentversion\\runonceex";

enum class WriterKind { None, RegistryKey, RegistrySubkey, RunOnceEx, WinIni, Folder };

struct Writer {
    WriterKind kind = WriterKind::None;
    std::string root;    // registry: "HKLM" or "HKCU"
    std::string keyPath; // registry: the key to write into, in its own case
    std::string name;    // RunOnceEx: section; win.ini: parameter; folder: the folder
};

Writer FindWriter(const std::string& location) {
    const std::string lower = LowerAscii(location);
    Writer writer;
    // The six Run-type keys themselves, and (a value written back where it
    // was) subkeys of Run and RunOnce.
    for (const RegistryLocation& key : kValueKeys) {
        const std::string keyLocation = LowerAscii(RegistryLocationString(key.root, key.keyPath));
        if (lower == keyLocation) {
            writer.kind = WriterKind::RegistryKey;
            writer.root = key.root;
            writer.keyPath = key.keyPath;
            return writer;
        }
    }
    if (lower.compare(0, kRunOnceExLower.size(), kRunOnceExLower) == 0) {
        writer.kind = WriterKind::RunOnceEx;
        writer.name = AfterLastBackslash(location);
        return writer;
    }
    for (int i = 0; i < 4; ++i) { // HKLM Run, HKLM RunOnce, HKCU Run, HKCU RunOnce
        const RegistryLocation& key = kSubkeyKeys[i];
        const std::string prefix = LowerAscii(RegistryLocationString(key.root, key.keyPath)) + "\\";
        if (lower.size() > prefix.size() && lower.compare(0, prefix.size(), prefix) == 0) {
            writer.kind = WriterKind::RegistrySubkey;
            writer.root = key.root;
            writer.keyPath = location.substr(5); // after "HKLM\" or "HKCU\"
            return writer;
        }
    }
    if (lower == kWinIniRunLocation || lower == kWinIniLoadLocation) {
        writer.kind = WriterKind::WinIni;
        writer.name = lower == kWinIniRunLocation ? "run" : "load";
        return writer;
    }
    for (int selector = 0; selector < 2; ++selector) {
        const std::string folder = GetStartupFolderPath(selector);
        if (!folder.empty() && lower == LowerAscii(folder)) {
            writer.kind = WriterKind::Folder;
            writer.name = folder;
            return writer;
        }
    }
    return writer;
}

} // namespace

LocationOutcome RemoveEntry(const std::string& title, const std::string& command,
                            const std::string& location) {
    const std::string lower = LowerAscii(location);
    if (StartsWith(lower, "hkcu") || StartsWith(lower, "hklm")) {
        const HKEY root = StartsWith(lower, "hkcu") ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const std::string::size_type slash = lower.find('\\');
        const std::string keyPath =
            slash == std::string::npos ? std::string() : lower.substr(slash + 1);
        return RemoveRegistryValue(root, keyPath, title);
    }
    if (lower == kWinIniRunLocation) {
        return RemoveWinIniItem(command, "run");
    }
    if (lower == kWinIniLoadLocation) {
        return RemoveWinIniItem(command, "load");
    }
    return DeleteStartupFile(location, title);
}

LocationOutcome WriteEntry(const std::string& title, const std::string& command,
                           const std::string& location) {
    const Writer writer = FindWriter(location);
    switch (writer.kind) {
    case WriterKind::RegistryKey:
    case WriterKind::RegistrySubkey:
        return AddRegistryValue(writer.root, writer.keyPath, title, command, std::string());
    case WriterKind::RunOnceEx:
        return AddRunOnceExValue(title, command, std::string(), writer.name);
    case WriterKind::WinIni:
        return AddWinIniItem(command, writer.name);
    case WriterKind::Folder:
        return CreateStartupShortcut(writer.name, title,
                                     ResolveCommandPath(command, ResolveMode::ProgramPath),
                                     ResolveCommandPath(command, ResolveMode::Arguments));
    case WriterKind::None:
        break;
    }
    return LocationOutcome();
}

bool HasWriter(const std::string& location) {
    return FindWriter(location).kind != WriterKind::None;
}

bool CanBeWrittenBack(const std::string& title, const std::string& command,
                      const std::string& location) {
    const Writer writer = FindWriter(location);
    if (writer.kind == WriterKind::None) {
        return false;
    }
    if (writer.kind == WriterKind::Folder) {
        return LowerAscii(command) != LowerAscii(location + "\\" + title);
    }
    return true;
}

} // namespace kv
