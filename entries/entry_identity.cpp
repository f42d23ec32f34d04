#include "entries/entry_identity.h"

#include "base/handles.h"
#include "base/text.h"

#include <windows.h>

namespace kv {

namespace {

// Equal without regard to letter case, as the registry and the file system
// compare names (Cyrillic letters included).
bool SameNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

bool IsRegistryKind(LocationKind kind) {
    return kind == LocationKind::RegistryKey || kind == LocationKind::RegistrySubkey ||
           kind == LocationKind::RunOnceExSection;
}

bool IsTaskKind(LocationKind kind) {
    return kind == LocationKind::PackagedTask || kind == LocationKind::ScheduledTask;
}

bool MayBeDelayed(const LocationClass& where) {
    if (where.kind == LocationKind::StartupFolder) {
        return true;
    }
    const std::string path = LowerAscii(where.keyPath);
    return where.kind == LocationKind::RegistryKey && (where.root == "HKLM" || where.root == "HKCU") &&
           (path == LowerAscii(kRunKey) || path == LowerAscii(kRun32Key));
}

std::wstring ExactNameOf(const StartupEntry& entry) {
    return entry.exactName.empty() ? Wide(entry.title) : entry.exactName;
}

bool SameIdentity(const StartupEntry& a, const StartupEntry& b) {
    if (!SameNoCase(Wide(a.location), Wide(b.location))) {
        return false;
    }
    // win.ini's entries are its items: the command is the name.
    const LocationKind kind = ClassifyLocationIn(a.location, std::string(), std::string()).kind;
    if (kind == LocationKind::WinIni) {
        return SameNoCase(Wide(a.command), Wide(b.command));
    }
    return SameNoCase(ExactNameOf(a), ExactNameOf(b));
}

} // namespace kv
