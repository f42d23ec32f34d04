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

bool WriteWholeFile(const std::string& path, const std::string& text) {
    const kv::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file.valid() &&
           WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) !=
               FALSE &&
           written == text.size();
}

// A manifest of the size and shape of an installed desktop app's: identity,
// properties, dependencies, resources, capabilities and one application with
// its visual elements and extensions; with a startup task when `taskId` is
// not empty.
std::string PackageManifest(const std::string& name, const std::string& taskId) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n"
        "<Package xmlns=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\" "
        "xmlns:uap=\"http://schemas.microsoft.com/appx/manifest/uap/windows10\" "
        "xmlns:desktop=\"http://schemas.microsoft.com/appx/manifest/desktop/windows10\" "
        "xmlns:uap10=\"http://schemas.microsoft.com/appx/manifest/uap/windows10/10\" "
        "xmlns:rescap=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10/"
        "restrictedcapabilities\" IgnorableNamespaces=\"uap desktop uap10 rescap\">\r\n"
        "  <Identity Name=\"" +
        name +
        "\" Publisher=\"CN=Bench Publisher, O=Bench, C=US\" "
        "Version=\"1.0.0.0\" ProcessorArchitecture=\"x64\"/>\r\n"
        "  <Properties><DisplayName>" +
        name +
        "</DisplayName>"
        "<PublisherDisplayName>Bench Publisher</PublisherDisplayName>"
        "<Logo>Assets\\StoreLogo.png</Logo></Properties>\r\n"
        "  <Dependencies><TargetDeviceFamily Name=\"Windows.Desktop\" MinVersion=\"10.0.17763.0\" "
        "MaxVersionTested=\"10.0.22621.0\"/>"
        "<PackageDependency Name=\"Microsoft.VCLibs.140.00.UWPDesktop\" "
        "MinVersion=\"14.0.30704.0\" "
        "Publisher=\"CN=Microsoft Corporation, O=Microsoft Corporation, L=Redmond, S=Washington, "
        "C=US\"/></Dependencies>\r\n"
        "  <Resources><Resource Language=\"en-us\"/><Resource Language=\"ru-ru\"/>"
        "<Resource Language=\"de-de\"/><Resource uap:Scale=\"100\"/><Resource uap:Scale=\"200\"/>"
        "</Resources>\r\n"
        "  <Capabilities><Capability Name=\"internetClient\"/>"
        "<rescap:Capability Name=\"runFullTrust\"/><DeviceCapability Name=\"microphone\"/>"
        "<DeviceCapability Name=\"webcam\"/></Capabilities>\r\n"
        "  <Applications>\r\n"
        "    <Application Id=\"App\" Executable=\"" +
        name +
        ".exe\" "
        "EntryPoint=\"Windows.FullTrustApplication\">\r\n"
        "      <uap:VisualElements DisplayName=\"" +
        name +
        "\" Description=\"A packaged app of the "
        "benchmark\" BackgroundColor=\"transparent\" Square150x150Logo=\"Assets\\Square150.png\" "
        "Square44x44Logo=\"Assets\\Square44.png\"><uap:DefaultTile "
        "Wide310x150Logo=\"Assets\\Wide310.png\" Square71x71Logo=\"Assets\\Small.png\"/>"
        "<uap:SplashScreen Image=\"Assets\\Splash.png\"/></uap:VisualElements>\r\n"
        "      <Extensions>\r\n"
        "        <uap:Extension Category=\"windows.protocol\"><uap:Protocol Name=\"bench-" +
        name + "\"><uap:DisplayName>" + name +
        " link</uap:DisplayName></uap:Protocol></uap:Extension>\r\n"
        "        <uap:Extension Category=\"windows.fileTypeAssociation\"><uap:FileTypeAssociation "
        "Name=\"benchfile\"><uap:SupportedFileTypes><uap:FileType>.bench</uap:FileType>"
        "<uap:FileType>.bnch</uap:FileType></uap:SupportedFileTypes></uap:FileTypeAssociation>"
        "</uap:Extension>\r\n";
    if (!taskId.empty()) {
        text += "        <desktop:Extension Category=\"windows.startupTask\" Executable=\"bin\\" +
                name +
                ".exe\" EntryPoint=\"Windows.FullTrustApplication\" "
                "uap10:Parameters=\"--autostart\"><desktop:StartupTask TaskId=\"" +
                taskId + "\" Enabled=\"true\" DisplayName=\"" + name +
                " at logon\"/>"
                "</desktop:Extension>\r\n";
    }
    return text + "      </Extensions>\r\n    </Application>\r\n  </Applications>\r\n"
                  "</Package>\r\n";
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
    ClearPackages();
}

void ClearPackages() {
    DeleteKeyTree(HKEY_CURRENT_USER, kv::kAppModelPackagesKey);
    DeleteKeyTree(HKEY_CURRENT_USER, kv::kAppModelStateKey);
}

int FillPackages(int total, int withTask, const std::string& folder) {
    CreateDirectoryA(folder.c_str(), nullptr);
    int made = 0;
    for (int i = 0; i < total; ++i) {
        const std::string name = "Bench.App" + std::to_string(i);
        const std::string fullName =
            name + "_1.0." + std::to_string(i) + ".0_x64__benchpub" + std::to_string(i % 7);
        const std::string packageFolder = folder + "\\" + fullName;
        CreateDirectoryA(packageFolder.c_str(), nullptr);
        const bool task = i < withTask;
        const std::string manifest =
            PackageManifest(name, task ? "Startup" + std::to_string(i) : "");
        if (!WriteWholeFile(packageFolder + "\\AppxManifest.xml", manifest)) {
            continue;
        }
        SetString(HKEY_CURRENT_USER, std::string(kv::kAppModelPackagesKey) + "\\" + fullName,
                  "PackageRootFolder", packageFolder);
        if (task && i % 2 == 0) {
            kv::RegKey state;
            const DWORD value = i % 4 == 0 ? 1 : 2;
            const std::string stateKey = std::string(kv::kAppModelStateKey) + "\\" + name +
                                         "_benchpub" + std::to_string(i % 7) + "\\Startup" +
                                         std::to_string(i);
            if (state.Create(HKEY_CURRENT_USER, stateKey, KEY_ALL_ACCESS)) {
                RegSetValueExA(state.get(), "State", 0, REG_DWORD,
                               reinterpret_cast<const BYTE*>(&value), sizeof(value));
            }
        }
        ++made;
    }
    return made;
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
