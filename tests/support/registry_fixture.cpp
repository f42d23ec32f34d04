#include "support/registry_fixture.h"

#include "base/text.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "entries/winini_reader.h"
#include "support/files.h"

#include <shlobj.h>

#include <algorithm>

namespace kvtest {

void SetValue(HKEY root, const std::string& keyPath, const std::string& name,
              const std::string& data, DWORD type, bool terminate) {
    kv::RegKey key;
    ASSERT_TRUE(key.Create(root, keyPath, KEY_ALL_ACCESS)) << keyPath;
    std::string bytes = data;
    if (terminate && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        bytes.push_back('\0');
    }
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), name.empty() ? nullptr : name.c_str(), 0,
                                            type, reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size())));
}

void SetDwordValue(HKEY root, const std::string& keyPath, const std::string& name, DWORD value) {
    kv::RegKey key;
    ASSERT_TRUE(key.Create(root, keyPath, KEY_ALL_ACCESS));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExA(key.get(), name.c_str(), 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&value), sizeof(value)));
}

bool ValueExists(HKEY root, const std::string& keyPath, const std::string& name) {
    kv::RegKey key;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE)) {
        return false;
    }
    return RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::string ReadString(HKEY root, const std::string& keyPath, const std::string& name) {
    kv::RegKey key;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE)) {
        return std::string();
    }
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, nullptr, nullptr, &size) !=
        ERROR_SUCCESS) {
        return std::string();
    }
    std::string data(size + 1, '\0');
    DWORD type = 0;
    RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                     &size);
    return kv::DataAsText(data.substr(0, size));
}

void DeleteValue(HKEY root, const std::string& keyPath, const std::string& name) {
    kv::RegKey key;
    if (key.Open(root, keyPath, KEY_SET_VALUE)) {
        RegDeleteValueA(key.get(), name.c_str());
    }
}

void CreateKey(HKEY root, const std::string& keyPath) {
    kv::RegKey key;
    ASSERT_TRUE(key.Create(root, keyPath, KEY_ALL_ACCESS)) << keyPath;
}

void DeleteKeyTree(HKEY root, const std::string& keyPath) {
    kv::RegKey key;
    if (!key.Open(root, keyPath, KEY_ALL_ACCESS)) {
        return;
    }
    std::string name;
    while (kv::EnumSubkeyAt(key.get(), 0, name) == ERROR_SUCCESS) {
        DeleteKeyTree(root, keyPath + "\\" + name);
    }
    key.Close();
    RegDeleteKeyA(root, keyPath.c_str());
}

bool KeyExists(HKEY root, const std::string& keyPath) {
    kv::RegKey key;
    return key.Open(root, keyPath, KEY_QUERY_VALUE);
}

std::vector<std::string> ValueNames(HKEY root, const std::string& keyPath) {
    std::vector<std::string> names;
    kv::RegKey key;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE)) {
        return names;
    }
    kv::RegValue value;
    for (DWORD index = 0; kv::EnumValueAt(key.get(), index, value) == ERROR_SUCCESS; ++index) {
        names.push_back(value.name);
    }
    return names;
}

void ClearStartupRegistry() {
    for (const kv::RegistryLocation& location : kv::kValueKeys) {
        const HKEY root = kv::RootKeyFromName(location.root);
        DeleteKeyTree(root, location.keyPath);
        CreateKey(root, location.keyPath);
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kv::kRunOnceExKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kv::kRunOnceEx32Key);
    DeleteKeyTree(HKEY_CURRENT_USER, kStartupApprovedKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kStartupApprovedKey);
    // Packaged apps' startup tasks are read with the rest of the set.
    DeleteKeyTree(HKEY_CURRENT_USER, kv::kAppModelPackagesKey);
    DeleteKeyTree(HKEY_CURRENT_USER, kv::kAppModelStateKey);
}

const char* const kStartupApprovedKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved";

const char* const kWinIniWindowsKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

// Read here straight from the registry, not through the program's own look-up.
std::string CurrentUserStartupFolder() {
    return ReadString(HKEY_CURRENT_USER, kv::kShellFoldersKey, "Startup");
}

std::string AllUsersStartupFolder() {
    return ReadString(HKEY_LOCAL_MACHINE, kv::kShellFoldersKey, "Common Startup");
}

void ClearStartupFolders() {
    // The shell registers its folders under "Shell Folders" when they are
    // first asked for; Windows has done so long before, a new Wine prefix may
    // not have.
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, 0, path);
    SHGetFolderPathA(nullptr, CSIDL_COMMON_STARTUP | CSIDL_FLAG_CREATE, nullptr, 0, path);
    for (const std::string& folder : {CurrentUserStartupFolder(), AllUsersStartupFolder()}) {
        if (!folder.empty()) {
            EmptyFolder(folder);
        }
    }
}

namespace {

void AddKeyBytes(std::map<std::string, std::string>& bytes, HKEY root, const std::string& rootName,
                 const std::string& keyPath) {
    kv::RegKey key;
    if (!key.Open(root, keyPath, KEY_READ)) {
        return;
    }
    kv::RegValue value;
    for (DWORD index = 0; kv::EnumValueAt(key.get(), index, value) == ERROR_SUCCESS; ++index) {
        bytes[rootName + "\\" + keyPath + "|" + value.name] =
            std::to_string(value.type) + ":" + value.data;
    }
    std::string subkey;
    for (DWORD index = 0; kv::EnumSubkeyAt(key.get(), index, subkey) == ERROR_SUCCESS; ++index) {
        AddKeyBytes(bytes, root, rootName, keyPath + "\\" + subkey);
    }
}

} // namespace

std::map<std::string, std::string> StartupSetBytes() {
    std::map<std::string, std::string> bytes;
    for (const kv::RegistryLocation& location : kv::kValueKeys) {
        AddKeyBytes(bytes, kv::RootKeyFromName(location.root), location.root, location.keyPath);
    }
    AddKeyBytes(bytes, HKEY_LOCAL_MACHINE, "HKLM", kv::kRunOnceExKey);
    AddKeyBytes(bytes, HKEY_LOCAL_MACHINE, "HKLM", kv::kRunOnceEx32Key);
    for (const char* name : {"Run", "Run32", "StartupFolder"}) {
        const std::string key = std::string(kStartupApprovedKey) + "\\" + name;
        AddKeyBytes(bytes, HKEY_CURRENT_USER, "HKCU", key);
        AddKeyBytes(bytes, HKEY_LOCAL_MACHINE, "HKLM", key);
    }
    for (const std::string& folder : {CurrentUserStartupFolder(), AllUsersStartupFolder()}) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            continue;
        }
        do {
            const std::string name = found.cFileName;
            if (name != "." && name != "..") {
                bytes[folder + "|" + name] = std::to_string(found.dwFileAttributes) + ":" +
                                             ReadFileText(folder + "\\" + name);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    for (const char* parameter : {"run", "load"}) {
        std::vector<std::string> items = kv::SplitWinIniItems(kv::ReadWinIniValue(parameter));
        std::sort(items.begin(), items.end());
        std::string line;
        for (const std::string& item : items) {
            line += item + "\n";
        }
        bytes[std::string("win.ini|") + parameter] = line;
    }
    return bytes;
}

void ClearWinIni() {
    for (const char* parameter : {"run", "load"}) {
        DeleteValue(HKEY_CURRENT_USER, kWinIniWindowsKey, parameter);
        WriteProfileStringA("windows", parameter, nullptr);
    }
}

SavedValue::SavedValue(HKEY root, const std::string& keyPath, const std::string& name)
    : root_(root), keyPath_(keyPath), name_(name) {
    kv::RegKey key;
    if (!key.Open(root, keyPath, KEY_QUERY_VALUE)) {
        return;
    }
    // The name as stored, in its own case, so that it comes back unchanged.
    const std::string lower = kv::LowerAscii(name);
    for (const std::string& stored : ValueNames(root, keyPath)) {
        if (kv::LowerAscii(stored) == lower) {
            name_ = stored;
        }
    }
    DWORD size = 0;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type_, nullptr, &size) !=
        ERROR_SUCCESS) {
        return;
    }
    data_.assign(size, '\0');
    if (size > 0 && RegQueryValueExA(key.get(), name.c_str(), nullptr, &type_,
                                     reinterpret_cast<BYTE*>(&data_[0]), &size) != ERROR_SUCCESS) {
        return;
    }
    data_.resize(size);
    existed_ = true;
}

SavedValue::~SavedValue() {
    // Value names are not case-sensitive: this also removes a value the test
    // made under the same name in another case.
    DeleteValue(root_, keyPath_, name_);
    if (existed_) {
        SetValue(root_, keyPath_, name_, data_, type_, false);
    }
}

} // namespace kvtest
