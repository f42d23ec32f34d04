#include "entries/startup_folder.h"

#include "base/handles.h"
#include "base/text.h"
#include "entries/registry.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace kv {

const char* const kShellFoldersKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::string GetStartupFolderPath(int selector) {
    const HKEY root = selector == kCurrentUserStartup ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const char* const wanted = selector == kCurrentUserStartup ? "Startup" : "Common Startup";
    RegKey key;
    if (!key.Open(root, kShellFoldersKey, KEY_QUERY_VALUE)) {
        return std::string();
    }
    // Value names are compared as the registry compares them, without regard
    // to case: Wine, for one, stores "StartUp" and "Common StartUp". Every
    // value is read whole, so a long name or long data in another value
    // cannot end the search early.
    const std::string wantedLower = LowerAscii(wanted);
    std::string path;
    ForEachValue(key.get(), [&](const RegValue& value) {
        if (LowerAscii(value.name) != wantedLower) {
            return true;
        }
        path = DataAsText(value.data);
        return false;
    });
    return path;
}

namespace {

// The shell link API fills caller buffers and does not say how long the text
// really is; a text that reaches the end of the buffer may have been cut, so
// the call is repeated with a larger buffer until the text ends early. A link
// file counts its texts in 16 bits, so the largest buffer is never outgrown.
constexpr std::size_t kFirstBuffer = MAX_PATH;
constexpr std::size_t kLargestBuffer = 1 << 20;

template <typename Fill> std::string ReadWhole(Fill fill) {
    std::vector<char> buffer(kFirstBuffer);
    for (;;) {
        std::fill(buffer.begin(), buffer.end(), '\0');
        if (FAILED(fill(buffer.data(), static_cast<int>(buffer.size())))) {
            return std::string();
        }
        const void* zero = std::memchr(buffer.data(), '\0', buffer.size());
        const std::size_t length =
            zero == nullptr
                ? buffer.size()
                : static_cast<std::size_t>(static_cast<const char*>(zero) - buffer.data());
        if (length + 1 < buffer.size() || buffer.size() >= kLargestBuffer) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

// How a link is resolved while a folder is read. No user interface: a broken
// link must not stop a refresh (which also runs from the monitoring timer
// while the window is hidden) behind a search dialog that nobody may be there
// to answer. No search for a moved target and no tracking: either may walk
// drives and network paths that do not answer for a long time. No update:
// reading never writes the link. The high word is the time the shell may
// take for the link at most, in milliseconds.
constexpr DWORD kResolveTimeout = 1000;
const DWORD kResolveFlags = static_cast<DWORD>(SLR_ANY_MATCH | SLR_NO_UI | SLR_NOUPDATE |
                                               SLR_NOSEARCH | SLR_NOTRACK) |
                            (kResolveTimeout << 16);

// Loads the file as a shell link, made by the factory (one for all files of
// a folder: asking for it costs more than a link), and resolves it unless
// the targets are taken as stored. False when it is not a link, or the link
// cannot be loaded or resolved.
bool ReadShellLink(IClassFactory* links, const std::wstring& widePath, LinkTargets targets,
                   std::string& target, std::string& arguments) {
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    if (widePath.empty() || links == nullptr ||
        FAILED(links->CreateInstance(nullptr, IID_IShellLinkA, link.Out())) ||
        FAILED(link->QueryInterface(IID_IPersistFile, file.Out())) ||
        FAILED(file->Load(widePath.c_str(), STGM_READ)) ||
        (targets == LinkTargets::Resolved && FAILED(link->Resolve(nullptr, kResolveFlags)))) {
        return false;
    }
    WIN32_FIND_DATAA found;
    target = ReadWhole([&](char* buffer, int size) {
        return link->GetPath(buffer, size, &found, SLGP_UNCPRIORITY);
    });
    arguments = ReadWhole([&](char* buffer, int size) { return link->GetArguments(buffer, size); });
    return true;
}

StartupEntry FolderRow(IClassFactory* links, const std::string& folder,
                       const std::wstring& wideName, LinkTargets targets) {
    StartupEntry row;
    // A name the code page cannot carry is kept exactly beside its title.
    if (!NarrowExactly(wideName, row.title)) {
        row.exactName = wideName;
    }
    row.location = folder;
    const std::string fullPath = folder + "\\" + row.title;
    std::string target;
    std::string arguments;
    if (!ReadShellLink(links, Wide(folder) + L"\\" + wideName, targets, target, arguments)) {
        target = fullPath;
        arguments.clear();
    }
    row.command = arguments.empty() ? target : target + " " + arguments;
    // A link to something that is not a file has no target path.
    row.iconPath = target.empty() ? fullPath : target;
    row.icon = kIconLookup;
    return row;
}

} // namespace

bool IsShellLinkFile(const std::string& path) {
    ComScope com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    const std::wstring widePath = Wide(path);
    return !widePath.empty() &&
           SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, link.Out())) &&
           SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Out())) &&
           SUCCEEDED(file->Load(widePath.c_str(), STGM_READ));
}

std::vector<StartupEntry> ScanStartupFolder(int selector, LinkTargets targets) {
    std::vector<StartupEntry> rows;
    const std::string folder = GetStartupFolderPath(selector);
    if (folder.empty()) {
        return rows;
    }
    WIN32_FIND_DATAW found;
    FindHandleWide search(Wide(folder) + L"\\*.*", found);
    if (!search.valid()) {
        return rows;
    }
    ComScope com;
    ComPtr<IClassFactory> links;
    CoGetClassObject(CLSID_ShellLink, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                     links.Out());
    do {
        const std::wstring name = found.cFileName;
        // The folder's own entries are skipped by name: a file system need
        // not list them first, or at all.
        if (name == L"." || name == L"..") {
            continue;
        }
        rows.push_back(FolderRow(links.get(), folder, name, targets));
    } while (search.Next(found));
    return rows;
}

} // namespace kv
