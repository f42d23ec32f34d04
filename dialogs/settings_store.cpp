#include "dialogs/settings_store.h"

#include "entries/command_path.h"
#include "shell/app_state.h"

#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <vector>

namespace kv {

const SettingKey kLayoutKeys[13] = {
    {"Common", "Left", 0},          {"Common", "Top", 0},
    {"Common", "Right", INT_MIN}, // CW_USEDEFAULT: the platform's default size
    {"Common", "Bottom", INT_MIN},  {"Common", "cmdShow", 1},
    {"ListView", "One", 0},         {"ListView", "Two", 1},
    {"ListView", "Three", 2},       {"ListView", "Four", 3},
    {"ListView", "WidthOne", 167},  {"ListView", "WidthTwo", 280},
    {"ListView", "WidthThree", 85}, {"ListView", "WidthFour", 308},
};

const SettingKey kGeneralKeys[3] = {
    {"General", "ShowIcon", 1},
    {"General", "MinimizeToTray", 1},
    {"General", "CloseToTray", 0},
};

const SettingKey kConfirmationKeys[9] = {
    {"Confirmation", "MultiDel", 1},  {"Confirmation", "SingleDel", 1},
    {"Confirmation", "MultiEdit", 1}, {"Confirmation", "SingleEdit", 1},
    {"Confirmation", "MultiRun", 1},  {"Confirmation", "SingleRun", 1},
    {"Confirmation", "MultiOpen", 1}, {"Confirmation", "SingleOpen", 1},
    {"Confirmation", "Restore", 1},
};

const SettingKey kMonitoringKeys[3] = {
    {"Monitoring", "NewMon", 1},
    {"Monitoring", "OldMon", 1},
    {"Monitoring", "Freq", 1},
};

namespace {

std::string g_directoryForTests;

std::string ModuleDirectory() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            const std::string path(buffer.data(), length);
            const std::string::size_type slash = path.rfind('\\');
            return slash == std::string::npos ? std::string() : path.substr(0, slash);
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string ExecutableDirectory() {
    if (!g_directoryForTests.empty()) {
        return g_directoryForTests;
    }
    const std::string program = ResolveCommandPath(GetCommandLineA(), ResolveMode::ProgramPath);
    const std::string::size_type slash = program.rfind('\\');
    if (slash == std::string::npos) {
        // Started by a bare name: the command line does not name the folder.
        return ModuleDirectory();
    }
    return program.substr(0, slash);
}

void SetExecutableDirectoryForTests(const std::string& directory) {
    g_directoryForTests = directory;
}

std::string SettingsFilePath() {
    return ExecutableDirectory() + "\\settings.ini";
}

int ReadSetting(const SettingKey& key) {
    return static_cast<int>(
        GetPrivateProfileIntA(key.section, key.key, key.defaultValue, SettingsFilePath().c_str()));
}

void WriteSetting(const SettingKey& key, int value) {
    const std::string text = std::to_string(value);
    WritePrivateProfileStringA(key.section, key.key, text.c_str(), SettingsFilePath().c_str());
}

int ReadLayoutSetting(int index) {
    if (index < 0 || index >= 13) {
        return 0;
    }
    return ReadSetting(kLayoutKeys[index]);
}

void SaveWindowLayout() {
    if (g_app.mainWindow == nullptr) {
        return;
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(g_app.mainWindow, &placement);
    const RECT& normal = placement.rcNormalPosition;
    WriteSetting(kLayoutKeys[kLayoutLeft], normal.left);
    WriteSetting(kLayoutKeys[kLayoutRight], normal.right);
    WriteSetting(kLayoutKeys[kLayoutTop], normal.top);
    WriteSetting(kLayoutKeys[kLayoutBottom], normal.bottom);
    WriteSetting(kLayoutKeys[kLayoutCmdShow], static_cast<int>(placement.showCmd));

    if (g_app.entryList == nullptr) {
        return;
    }
    int order[4] = {0, 1, 2, 3};
    SendMessageA(g_app.entryList, LVM_GETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order));
    for (int i = 0; i < 4; ++i) {
        WriteSetting(kLayoutKeys[kLayoutOrderFirst + i], order[i]);
    }
    for (int column = 0; column < 4; ++column) {
        const int width = static_cast<int>(
            SendMessageA(g_app.entryList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        WriteSetting(kLayoutKeys[kLayoutWidthFirst + column], width);
    }
}

void LoadGeneralSettings() {
    RunningSettings& s = g_app.settings;
    s.ShowIcon = ReadSetting(kGeneralKeys[0]);
    s.MinimizeToTray = ReadSetting(kGeneralKeys[1]);
    s.CloseToTray = ReadSetting(kGeneralKeys[2]);
}

void LoadConfirmationSettings() {
    RunningSettings& s = g_app.settings;
    int* const values[9] = {&s.MultiDel,  &s.SingleDel, &s.MultiEdit,  &s.SingleEdit, &s.MultiRun,
                            &s.SingleRun, &s.MultiOpen, &s.SingleOpen, &s.Restore};
    for (int i = 0; i < 9; ++i) {
        *values[i] = ReadSetting(kConfirmationKeys[i]);
    }
}

void LoadMonitoringSettings() {
    RunningSettings& s = g_app.settings;
    s.NewMon = ReadSetting(kMonitoringKeys[0]);
    s.OldMon = ReadSetting(kMonitoringKeys[1]);
    const int freq = ReadSetting(kMonitoringKeys[2]);
    s.Freq = freq > 60 ? 60 : (freq < 1 ? 1 : freq);
}

} // namespace kv
