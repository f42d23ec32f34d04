#include "bench/startup_set.h"

#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"

#include <shlobj.h>

namespace kvbench {

namespace {

void DeleteKeyTree(HKEY root, const std::string& path) {
    kv::RegKey key;
    if (!key.Open(root, path, KEY_ALL_ACCESS)) {
        return;
    }
    std::string name;
    while (kv::EnumSubkeyAt(key.get(), 0, name) == ERROR_SUCCESS) {
        DeleteKeyTree(root, path + "\\" + name);
    }
    key.Close();
    RegDeleteKeyA(root, path.c_str());
}

void SetString(HKEY root, const std::string& path, const std::string& name,
               const std::string& data) {
    kv::RegKey key;
    if (key.Create(root, path, KEY_ALL_ACCESS)) {
        RegSetValueExA(key.get(), name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    }
}

// Removes every file of a Startup folder (the folder stays).
void EmptyFolder(const std::string& folder) {
    if (folder.empty()) {
        return;
    }
    WIN32_FIND_DATAA found;
    std::vector<std::string> names;
    {
        kv::FindHandle search(folder + "\\*", found);
        for (bool more = search.valid(); more; more = search.Next(found)) {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                names.push_back(found.cFileName);
            }
        }
    }
    for (const std::string& name : names) {
        const std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

bool MakeShortcut(const std::string& linkPath, const std::string& target,
                  const std::string& arguments) {
    kv::ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                link.Out()))) {
        return false;
    }
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    kv::ComPtr<IPersistFile> file;
    return SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Out())) &&
           SUCCEEDED(file->Save(kv::Wide(linkPath).c_str(), TRUE));
}

} // namespace

std::string CommandFor(int i) {
    switch (i % 6) {
    case 0:
        return "\"C:\\Program Files\\Vendor " + std::to_string(i) + "\\tool.exe\" /tray";
    case 1:
        return "C:\\Program Files\\Common Files\\app" + std::to_string(i) + ".exe -min -q";
    case 2:
        return "||notepad.exe file" + std::to_string(i) + ".txt";
    case 3:
        return "mylib" + std::to_string(i) + ".dll|Entry|x";
    case 4:
        return "rundll32.exe shell32.dll,Control_RunDLL " + std::to_string(i);
    default:
        return "C:\\windows\\notepad.exe";
    }
}

int FillRegistry(int total) {
    int made = 0;
    for (int i = 0; i < total; ++i) {
        const std::string name = "Entry " + std::to_string(i % 97) + "-" + std::to_string(i);
        const int spread = i % 10;
        if (spread < 6) {
            const kv::RegistryLocation& key = kv::kValueKeys[spread];
            SetString(kv::RootKeyFromName(key.root), key.keyPath, name, CommandFor(i));
        } else if (spread < 8) {
            const kv::RegistryLocation& key = kv::kSubkeyKeys[spread - 6];
            SetString(kv::RootKeyFromName(key.root),
                      std::string(key.keyPath) + "\\Group" + std::to_string(i % 7), name,
                      CommandFor(i));
        } else {
            SetString(HKEY_LOCAL_MACHINE,
                      std::string(kv::kRunOnceExKey) + "\\Section" + std::to_string(i % 13), name,
                      CommandFor(i));
        }
        ++made;
    }
    return made;
}

int FillStartupFolders(int total) {
    const std::string folders[2] = {kv::GetStartupFolderPath(kv::kCurrentUserStartup),
                                    kv::GetStartupFolderPath(kv::kAllUsersStartup)};
    const kv::ComScope com;
    int made = 0;
    for (int i = 0; i < total; ++i) {
        const std::string& folder = folders[i % 2];
        if (folder.empty()) {
            continue;
        }
        const std::string target =
            i % 3 == 0 ? "C:\\windows\\notepad.exe"
                       : "C:\\Program Files\\Vendor " + std::to_string(i) + "\\tool.exe";
        const std::string arguments = i % 2 == 0 ? "/tray /n " + std::to_string(i) : "";
        if (MakeShortcut(folder + "\\Shortcut " + std::to_string(i) + ".lnk", target, arguments)) {
            ++made;
        }
    }
    return made;
}

int FillWinIni(int items) {
    std::string line;
    for (int i = 0; i < items; ++i) {
        if (!line.empty()) {
            line += i % 2 == 0 ? " " : ",";
        }
        switch (i % 3) {
        case 0:
            line += "notepad.exe";
            break;
        case 1:
            line += "C:\\windows\\regedit.exe";
            break;
        default:
            line += "C:\\PROGRA~1\\APP" + std::to_string(i) + ".EXE";
            break;
        }
    }
    // Written to the registry, where the section lives on NT: the profile
    // functions may cut long values when they write them.
    kv::RegKey key;
    if (!key.Create(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows",
                    KEY_SET_VALUE)) {
        return 0;
    }
    RegSetValueExA(key.get(), "run", 0, REG_SZ, reinterpret_cast<const BYTE*>(line.c_str()),
                   static_cast<DWORD>(line.size() + 1));
    return items;
}

void WriteStringValues(HKEY root, const std::string& keyPath, const std::vector<std::string>& names,
                       const std::vector<std::string>& data) {
    for (std::size_t i = 0; i < names.size() && i < data.size(); ++i) {
        SetString(root, keyPath, names[i], data[i]);
    }
}

DWORD ValueCount(HKEY root, const std::string& keyPath) {
    kv::RegKey key;
    DWORD values = 0;
    if (key.Open(root, keyPath, KEY_QUERY_VALUE)) {
        RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
    }
    return values;
}

void ClearStartupRegistry() {
    for (const kv::RegistryLocation& location : kv::kValueKeys) {
        DeleteKeyTree(kv::RootKeyFromName(location.root), location.keyPath);
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kv::kRunOnceExKey);
}

void ClearFoldersAndWinIni() {
    EmptyFolder(kv::GetStartupFolderPath(kv::kCurrentUserStartup));
    EmptyFolder(kv::GetStartupFolderPath(kv::kAllUsersStartup));
    WriteProfileStringA("windows", "run", nullptr);
    WriteProfileStringA("windows", "load", nullptr);
}

void DeleteFolderTree(const std::string& folder) {
    WIN32_FIND_DATAA found;
    {
        kv::FindHandle search(folder + "\\*", found);
        for (bool more = search.valid(); more; more = search.Next(found)) {
            const std::string name = found.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                DeleteFolderTree(path);
            } else {
                DeleteFileA(path.c_str());
            }
        }
    }
    RemoveDirectoryA(folder.c_str());
}

} // namespace kvbench
