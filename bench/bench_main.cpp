// Kelvorin benchmark: fills the registry of the Wine prefix it runs in with a
// large startup set, then times a full refresh and a header-click sort of the
// result, and prints the figures. Run it in a throwaway prefix: it empties the
// Run-type keys before and after.
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "shell/app_state.h"
#include "shell/entry_list.h"
#include "shell/main_window.h"
#include "shell/scan_driver.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void DeleteTree(HKEY root, const std::string& path) {
    kv::RegKey key;
    if (!key.Open(root, path, KEY_ALL_ACCESS)) {
        return;
    }
    std::string name;
    while (kv::EnumSubkeyAt(key.get(), 0, name) == ERROR_SUCCESS) {
        DeleteTree(root, path + "\\" + name);
    }
    key.Close();
    RegDeleteKeyA(root, path.c_str());
}

void ClearStartupRegistry() {
    for (const kv::RegistryLocation& location : kv::kValueKeys) {
        DeleteTree(kv::RootKeyFromName(location.root), location.keyPath);
    }
    DeleteTree(HKEY_LOCAL_MACHINE, kv::kRunOnceExKey);
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

// Commands of mixed forms: quoted, with blanks, bars, bare names, missing files.
std::string CommandFor(int i) {
    switch (i % 6) {
    case 0: return "\"C:\\Program Files\\Vendor " + std::to_string(i) + "\\tool.exe\" /tray";
    case 1: return "C:\\Program Files\\Common Files\\app" + std::to_string(i) + ".exe -min -q";
    case 2: return "||notepad.exe file" + std::to_string(i) + ".txt";
    case 3: return "mylib" + std::to_string(i) + ".dll|Entry|x";
    case 4: return "rundll32.exe shell32.dll,Control_RunDLL " + std::to_string(i);
    default: return "C:\\windows\\notepad.exe";
    }
}

int FillRegistry(int total) {
    const kv::RegistryLocation* valueKeys = kv::kValueKeys;
    int made = 0;
    for (int i = 0; i < total; ++i) {
        const std::string name = "Entry " + std::to_string(i % 97) + "-" + std::to_string(i);
        const int spread = i % 10;
        if (spread < 6) {
            const kv::RegistryLocation& key = valueKeys[spread];
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

} // namespace

int main() {
    const int entries = 2000;
    ClearStartupRegistry();
    const Clock::time_point fillStart = Clock::now();
    FillRegistry(entries);
    const double fill = Milliseconds(fillStart);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    kv::RegisterMainWindowClass(instance);
    const Clock::time_point createStart = Clock::now();
    HWND window = kv::CreateMainWindow(instance, 0, 0, 1000, 700);
    const double create = Milliseconds(createStart);
    if (window == nullptr) {
        std::printf("could not create the main window\n");
        return 1;
    }

    const Clock::time_point scanStart = Clock::now();
    kv::ScanDriver();
    const double scan = Milliseconds(scanStart);
    const int rows = kv::RowCount();

    const Clock::time_point sortStart = Clock::now();
    kv::g_app.sortColumn = kv::kColumnCommand;
    kv::SortEntryList(kv::kColumnCommand);
    const double sort = Milliseconds(sortStart);

    std::printf("registry entries written:        %d (%.0f ms)\n", entries, fill);
    std::printf("rows listed:                     %d\n", rows);
    std::printf("window creation with first scan: %.0f ms\n", create);
    std::printf("full ScanDriver (registry):      %.0f ms\n", scan);
    std::printf("header-click sort (command):     %.0f ms\n", sort);

    DestroyWindow(window);
    ClearStartupRegistry();
    return 0;
}
