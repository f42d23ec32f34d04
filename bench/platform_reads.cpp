#include "bench/platform_reads.h"

#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <cstring>
#include <vector>

namespace kvbench {

namespace {

// Every value of the key, names and data read.
int ReadAllValues(HKEY key, std::vector<char>& name, std::vector<BYTE>& data) {
    int read = 0;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataLength = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG status = RegEnumValueA(key, index, name.data(), &nameLength, nullptr, &type,
                                          data.data(), &dataLength);
        if (status == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (status == ERROR_SUCCESS) {
            ++read;
        } else if (status != ERROR_MORE_DATA) {
            break;
        }
    }
    return read;
}

// The values of every subkey of the key.
int ReadSubkeyValues(HKEY key, std::vector<char>& name, std::vector<BYTE>& data) {
    int read = 0;
    char subkeyName[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof(subkeyName);
        if (RegEnumKeyExA(key, index, subkeyName, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        HKEY subkey = nullptr;
        if (RegOpenKeyExA(key, subkeyName, 0, KEY_QUERY_VALUE, &subkey) == ERROR_SUCCESS) {
            read += ReadAllValues(subkey, name, data);
            RegCloseKey(subkey);
        }
    }
    return read;
}

std::string ShellFolder(HKEY root, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, kv::kShellFoldersKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::string();
    }
    char path[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(path), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(path) : std::string();
}

// Each file of the folder loaded and resolved as a shell link, its target
// and arguments read.
int ReadLinksIn(const std::string& folder, IShellLinkA* link, IPersistFile* file) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int read = 0;
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) {
            continue;
        }
        const std::string path = folder + "\\" + found.cFileName;
        wchar_t wide[MAX_PATH * 2] = {};
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH * 2);
        if (FAILED(file->Load(wide, STGM_READ)) ||
            FAILED(link->Resolve(nullptr, SLR_ANY_MATCH | SLR_NO_UI))) {
            continue;
        }
        char target[MAX_PATH + 1] = {};
        char arguments[4096] = {};
        WIN32_FIND_DATAA targetData;
        link->GetPath(target, MAX_PATH, &targetData, SLGP_UNCPRIORITY);
        link->GetArguments(arguments, sizeof(arguments));
        ++read;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return read;
}

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// The XML reader's factory, loaded once: not timed.
CreateXmlReaderFunction XmlReaderFactory() {
    static const CreateXmlReaderFunction factory = reinterpret_cast<CreateXmlReaderFunction>(
        GetProcAddress(LoadLibraryW(L"xmllite.dll"), "CreateXmlReader"));
    return factory;
}

// Every node of the document, and the attributes of every element.
bool ParseWhole(const std::string& bytes) {
    static const IID readerId = {
        0x7279fc81, 0x709d, 0x4095, {0xb6, 0x3d, 0x69, 0xfe, 0x4b, 0x0d, 0x90, 0x30}};
    IStream* stream = SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()),
                                        static_cast<UINT>(bytes.size()));
    IXmlReader* reader = nullptr;
    if (stream == nullptr || XmlReaderFactory() == nullptr ||
        FAILED(XmlReaderFactory()(readerId, reinterpret_cast<void**>(&reader), nullptr))) {
        if (stream != nullptr) {
            stream->Release();
        }
        return false;
    }
    reader->SetInput(stream);
    XmlNodeType type = XmlNodeType_None;
    HRESULT status = S_OK;
    while ((status = reader->Read(&type)) == S_OK) {
        if (type == XmlNodeType_Element) {
            for (HRESULT at = reader->MoveToFirstAttribute(); at == S_OK;
                 at = reader->MoveToNextAttribute()) {
                const wchar_t* value = nullptr;
                reader->GetValue(&value, nullptr);
            }
        }
    }
    reader->Release();
    stream->Release();
    return status == S_FALSE;
}

std::string ReadWholeFileWide(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD got = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(file);
    bytes.resize(got);
    return bytes;
}

} // namespace

int ReadPackages(const std::vector<std::string>& taskStateKeys) {
    const std::wstring packagesPath = kv::Wide(kv::kAppModelPackagesKey);
    HKEY packages = nullptr;
    int parsed = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, packagesPath.c_str(), 0, KEY_READ, &packages) ==
        ERROR_SUCCESS) {
        wchar_t name[256];
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(packages, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            wchar_t folder[MAX_PATH + 1] = {};
            DWORD size = sizeof(folder) - sizeof(wchar_t);
            HKEY package = nullptr;
            if (RegOpenKeyExW(packages, name, 0, KEY_QUERY_VALUE, &package) != ERROR_SUCCESS) {
                continue;
            }
            const LONG status = RegQueryValueExW(package, L"PackageRootFolder", nullptr, nullptr,
                                                 reinterpret_cast<BYTE*>(folder), &size);
            RegCloseKey(package);
            if (status == ERROR_SUCCESS &&
                ParseWhole(ReadWholeFileWide(std::wstring(folder) + L"\\AppxManifest.xml"))) {
                ++parsed;
            }
        }
        RegCloseKey(packages);
    }
    for (const std::string& path : taskStateKeys) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) ==
            ERROR_SUCCESS) {
            DWORD state = 0;
            DWORD size = sizeof(state);
            RegQueryValueExA(key, "State", nullptr, nullptr, reinterpret_cast<BYTE*>(&state),
                             &size);
            RegCloseKey(key);
        }
    }
    return parsed;
}

// The values of the six Run-type keys and of the subkeys of Run, RunOnce
// (both roots) and RunOnceEx.
int ReadRunKeys() {
    std::vector<char> name(16384);
    std::vector<BYTE> data(65536);
    int read = 0;
    for (const kv::RegistryLocation& location : kv::kValueKeys) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(kv::RootKeyFromName(location.root), location.keyPath, 0, KEY_QUERY_VALUE,
                          &key) == ERROR_SUCCESS) {
            read += ReadAllValues(key, name, data);
            RegCloseKey(key);
        }
    }
    for (const kv::RegistryLocation& location : kv::kSubkeyKeys) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(kv::RootKeyFromName(location.root), location.keyPath, 0,
                          KEY_ENUMERATE_SUB_KEYS, &key) == ERROR_SUCCESS) {
            read += ReadSubkeyValues(key, name, data);
            RegCloseKey(key);
        }
    }
    return read;
}

// The shell links of both Startup folders. COM is already initialised.
int ReadStartupLinks() {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link)))) {
        return 0;
    }
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        link->Release();
        return 0;
    }
    int read = 0;
    const std::string folders[2] = {ShellFolder(HKEY_CURRENT_USER, "Startup"),
                                    ShellFolder(HKEY_LOCAL_MACHINE, "Common Startup")};
    for (const std::string& folder : folders) {
        if (!folder.empty()) {
            read += ReadLinksIn(folder, link, file);
        }
    }
    file->Release();
    link->Release();
    return read;
}

std::size_t ReadWholeFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) {
        bytes.append(chunk, got);
    }
    CloseHandle(file);
    return bytes.size();
}

int CountProcesses() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    int count = 0;
    PROCESSENTRY32 process{};
    process.dwSize = sizeof(process);
    for (BOOL more = Process32First(snapshot, &process); more;
         more = Process32Next(snapshot, &process)) {
        ++count;
    }
    CloseHandle(snapshot);
    return count;
}

void ReadWinIniLines() {
    std::vector<char> line(65536);
    GetProfileStringA("windows", "run", "", line.data(), static_cast<DWORD>(line.size()));
    GetProfileStringA("windows", "load", "", line.data(), static_cast<DWORD>(line.size()));
}

int ShellIcon(const std::string& path) {
    SHFILEINFOA info{};
    SHGetFileInfoA(path.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SYSICONINDEX);
    if (info.hIcon != nullptr) {
        DestroyIcon(info.hIcon);
    }
    return info.iIcon;
}

} // namespace kvbench
