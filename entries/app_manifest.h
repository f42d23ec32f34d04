// A packaged app's manifest (AppxManifest.xml), read with the platform's XML
// reader: the package's identity name and the startup tasks it declares.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kv {

// A manifest larger than this is not read at all.
constexpr std::size_t kManifestSizeCap = 4 * 1024 * 1024;

// One startup task: an Extension of category "windows.startupTask" and its
// StartupTask element.
struct ManifestStartupTask {
    std::wstring taskId;
    std::wstring executable;  // relative to the package's install folder
    std::wstring parameters;  // empty when the extension gives none
    std::wstring displayName; // as written: a text, or an "ms-resource:" reference
    bool enabled = false;     // the state before the user or the app switched it
};

struct AppManifest {
    bool readable = false; // false: too large, not XML, or the XML reader is missing
    std::wstring identityName;
    std::vector<ManifestStartupTask> tasks;
};

// The manifest given as the file's bytes (any encoding the XML declaration
// or a byte order mark names).
AppManifest ParseAppManifest(const std::string& bytes);

} // namespace kv
