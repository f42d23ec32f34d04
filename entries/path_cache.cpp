#include "entries/path_cache.h"

#include "base/handles.h"

#include <windows.h>

#include <vector>

namespace kv {

namespace {

thread_local PathCache* t_cache = nullptr;

// Upper case as the file system compares names: on the names' characters,
// not on the bytes of one code page or another.
std::wstring Upper(const std::string& text) {
    // Plain ASCII, which most paths are, maps to the same characters without
    // asking the system.
    bool ascii = true;
    for (const char c : text) {
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    }
    if (ascii) {
        std::wstring wide(text.size(), L'\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char c = text[i];
            wide[i] = static_cast<wchar_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        }
        return wide;
    }
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_ACP, 0, text.data(), size, &wide[0], length);
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), length, &wide[0], length);
    }
    return wide;
}

bool IsDeviceName(const std::string& name) {
    const std::wstring upper = Upper(name.substr(0, name.find('.')));
    if (upper == L"CON" || upper == L"PRN" || upper == L"AUX" || upper == L"NUL" ||
        upper == L"CONIN$" || upper == L"CONOUT$") {
        return true;
    }
    return upper.size() == 4 &&
           (upper.compare(0, 3, L"COM") == 0 || upper.compare(0, 3, L"LPT") == 0) &&
           upper[3] >= L'0' && upper[3] <= L'9';
}

// One name of a path that a listing names exactly as the file system would:
// no wildcard or other character a name cannot hold, not "." or "..", and no
// dot or blank at its end (the system drops those when it looks a name up).
bool IsPlainName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    const char last = name[name.size() - 1];
    if (last == '.' || last == ' ') {
        return false;
    }
    for (const char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 32 || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|' ||
            c == ':' || c == '/') {
            return false;
        }
    }
    return !IsDeviceName(name);
}

} // namespace

PathCache::PathCache() {
    std::vector<char> buffer(MAX_PATH);
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length >= buffer.size()) {
        buffer.resize(length + 1);
        length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    }
    currentFolder_.assign(buffer.data(), length < buffer.size() ? length : 0);
}

bool PathCache::Exists(const std::string& path) {
    const auto known = answers_.find(path);
    if (known != answers_.end()) {
        return known->second;
    }
    const bool exists = Look(path);
    answers_.emplace(path, exists);
    return exists;
}

bool PathCache::Look(const std::string& path) {
    const auto askTheSystem = [&path] {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    // "X:\folder\...\name", or a path relative to the current folder.
    std::string full;
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
        ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) {
        full = path;
    } else if (!path.empty() && path[0] != '\\' && path.find(':') == std::string::npos &&
               currentFolder_.size() >= 3 && currentFolder_.back() != '\\') {
        full = currentFolder_ + "\\" + path;
    }
    if (full.empty() || full.size() >= MAX_PATH - 2) {
        return askTheSystem();
    }
    // Name by name from the drive's root: each is looked for in the listing
    // of the folder before it.
    std::string folder = full.substr(0, 3);
    for (std::string::size_type begin = 3;;) {
        std::string::size_type end = full.find('\\', begin);
        const bool last = end == std::string::npos;
        if (last) {
            end = full.size();
        }
        const std::string name = full.substr(begin, end - begin);
        const std::string::size_type colon = name.find(':');
        if (colon != std::string::npos) {
            // "name:stream" names a stream of the file "name": with no such
            // file there is no such stream, and nothing below it.
            const std::string base = name.substr(0, colon);
            const Listing& listing = ListingOf(folder);
            if (IsPlainName(base) && listing.listed && listing.names.count(Upper(base)) == 0) {
                return false;
            }
            return askTheSystem();
        }
        if (!IsPlainName(name)) {
            return askTheSystem();
        }
        const Listing& listing = ListingOf(folder);
        if (!listing.listed) {
            // Not listed for another reason than its absence: only the system
            // can say.
            return askTheSystem();
        }
        const bool found = listing.names.count(Upper(name)) != 0;
        if (last || !found) {
            return found;
        }
        folder += name;
        folder += '\\';
        begin = end + 1;
    }
}

const PathCache::Listing& PathCache::ListingOf(const std::string& folder) {
    const auto spelled = spelled_.find(folder);
    if (spelled != spelled_.end()) {
        return *spelled->second;
    }
    const std::wstring key = Upper(folder);
    const auto found = listings_.find(key);
    if (found != listings_.end()) {
        spelled_.emplace(folder, &found->second);
        return found->second;
    }
    Listing& listing = listings_[key];
    spelled_.emplace(folder, &listing);
    WIN32_FIND_DATAA entry;
    const std::string pattern = folder + "*"; // the folder ends in a backslash
    FindHandle search(pattern, entry);
    if (!search.valid()) {
        const DWORD error = GetLastError();
        // A missing folder holds nothing; any other failure is not an answer.
        listing.listed = error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND;
        return listing;
    }
    listing.listed = true;
    do {
        listing.names.insert(Upper(entry.cFileName));
        if (entry.cAlternateFileName[0] != '\0') {
            listing.names.insert(Upper(entry.cAlternateFileName));
        }
    } while (search.Next(entry));
    return listing;
}

PathCacheScope::PathCacheScope() {
    if (t_cache == nullptr) {
        t_cache = &own_.emplace();
        active_ = true;
    }
}

PathCacheScope::PathCacheScope(PathCache& cache) {
    if (t_cache == nullptr) {
        t_cache = &cache;
        active_ = true;
    }
}

PathCacheScope::~PathCacheScope() {
    if (active_) {
        t_cache = nullptr;
    }
}

PathCache* CurrentPathCache() {
    return t_cache;
}

} // namespace kv
