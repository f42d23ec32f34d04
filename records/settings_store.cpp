#include "records/settings_store.h"

#include "base/test_seams.h"
#include "base/text.h"
#include "entries/command_path.h"

#include <windows.h>

#include <climits>
#include <vector>

namespace kv {

namespace {

constexpr int kAny = INT_MIN;
constexpr int kAll = INT_MAX;

} // namespace

const SettingKey kSettingKeys[kSettingKeyCount] = {
    // Layout, by the index ReadLayoutSetting takes. Right and Bottom default
    // to CW_USEDEFAULT: the platform's default size.
    {"Common", "Left", 0, kAny, kAll, nullptr},
    {"Common", "Top", 0, kAny, kAll, nullptr},
    {"Common", "Right", INT_MIN, kAny, kAll, nullptr},
    {"Common", "Bottom", INT_MIN, kAny, kAll, nullptr},
    {"Common", "cmdShow", 1, kAny, kAll, nullptr},
    {"ListView", "One", 0, kAny, kAll, nullptr},
    {"ListView", "Two", 1, kAny, kAll, nullptr},
    {"ListView", "Three", 2, kAny, kAll, nullptr},
    {"ListView", "Four", 3, kAny, kAll, nullptr},
    {"ListView", "WidthOne", 167, kAny, kAll, nullptr},
    {"ListView", "WidthTwo", 280, kAny, kAll, nullptr},
    {"ListView", "WidthThree", 85, kAny, kAll, nullptr},
    {"ListView", "WidthFour", 308, kAny, kAll, nullptr},

    {"General", "ShowIcon", 1, kAny, kAll, &RunningSettings::ShowIcon},
    {"General", "MinimizeToTray", 1, kAny, kAll, &RunningSettings::MinimizeToTray},
    {"General", "CloseToTray", 0, kAny, kAll, &RunningSettings::CloseToTray},

    {"Confirmation", "MultiDel", 1, kAny, kAll, &RunningSettings::MultiDel},
    {"Confirmation", "SingleDel", 1, kAny, kAll, &RunningSettings::SingleDel},
    {"Confirmation", "MultiEdit", 1, kAny, kAll, &RunningSettings::MultiEdit},
    {"Confirmation", "SingleEdit", 1, kAny, kAll, &RunningSettings::SingleEdit},
    {"Confirmation", "MultiRun", 1, kAny, kAll, &RunningSettings::MultiRun},
    {"Confirmation", "SingleRun", 1, kAny, kAll, &RunningSettings::SingleRun},
    {"Confirmation", "MultiOpen", 1, kAny, kAll, &RunningSettings::MultiOpen},
    {"Confirmation", "SingleOpen", 1, kAny, kAll, &RunningSettings::SingleOpen},
    {"Confirmation", "Restore", 1, kAny, kAll, &RunningSettings::Restore},

    {"Monitoring", "NewMon", 1, kAny, kAll, &RunningSettings::NewMon},
    {"Monitoring", "OldMon", 1, kAny, kAll, &RunningSettings::OldMon},
    {"Monitoring", "Freq", 1, 1, 60, &RunningSettings::Freq},
    {"Monitoring", "KeepOff", 1, kAny, kAll, &RunningSettings::KeepOff},
};

const SettingKey* FindSettingKey(const std::string& section, const std::string& key) {
    for (const SettingKey& entry : kSettingKeys) {
        if (LowerAscii(section) == LowerAscii(entry.section) &&
            LowerAscii(key) == LowerAscii(entry.key)) {
            return &entry;
        }
    }
    return nullptr;
}

std::vector<const SettingKey*> SectionKeys(const std::string& section) {
    std::vector<const SettingKey*> keys;
    const std::string wanted = LowerAscii(section);
    for (const SettingKey& entry : kSettingKeys) {
        if (LowerAscii(entry.section) == wanted) {
            keys.push_back(&entry);
        }
    }
    return keys;
}

RunningSettings DefaultRunningSettings() {
    RunningSettings settings{};
    for (const SettingKey& entry : kSettingKeys) {
        if (entry.running != nullptr) {
            settings.*entry.running = entry.defaultValue;
        }
    }
    return settings;
}

namespace {

std::string g_directoryForTests;

std::string ModuleDirectory() {
    const std::string path = ProgramFilePath();
    const std::string::size_type slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

std::string ProgramFilePath() {
    // A path that fills the buffer may have been cut: try a larger one, up to
    // the longest path the system has.
    for (std::size_t size = MAX_PATH; size <= 0x10000; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length =
            GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::string();
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
    }
    return std::string();
}

std::string ExecutableDirectory() {
    if (!g_directoryForTests.empty()) {
        return g_directoryForTests;
    }
    // The command line does not change while the program runs: it is
    // resolved once (the resolution asks the file system word by word).
    static const std::string directory = [] {
        const std::string program = ResolveCommandPath(GetCommandLineA(), ResolveMode::ProgramPath);
        const std::string::size_type slash = program.rfind('\\');
        // Started by a bare name: the command line does not name the folder.
        return slash == std::string::npos ? ModuleDirectory() : program.substr(0, slash);
    }();
    return directory;
}

void SetExecutableDirectoryForTests(const std::string& directory) {
    g_directoryForTests = directory;
}

std::string SettingsFilePath() {
    return ExecutableDirectory() + "\\settings.ini";
}

int ReadSetting(const SettingKey& key) {
    const int value = static_cast<int>(
        GetPrivateProfileIntA(key.section, key.key, key.defaultValue, SettingsFilePath().c_str()));
    return value < key.minimum ? key.minimum : (value > key.maximum ? key.maximum : value);
}

void WriteSetting(const SettingKey& key, int value) {
    const std::string text = std::to_string(value);
    WritePrivateProfileStringA(key.section, key.key, text.c_str(), SettingsFilePath().c_str());
}

int ReadLayoutSetting(int index) {
    if (index < 0 || index >= kLayoutKeyCount) {
        return 0;
    }
    return ReadSetting(kSettingKeys[index]);
}

void SaveWindowLayout(const WindowLayout& layout) {
    WriteSetting(kSettingKeys[kLayoutLeft], layout.left);
    WriteSetting(kSettingKeys[kLayoutRight], layout.right);
    WriteSetting(kSettingKeys[kLayoutTop], layout.top);
    WriteSetting(kSettingKeys[kLayoutBottom], layout.bottom);
    WriteSetting(kSettingKeys[kLayoutCmdShow], layout.showCmd);
    for (int i = 0; i < 4; ++i) {
        WriteSetting(kSettingKeys[kLayoutOrderFirst + i], layout.order[i]);
    }
    for (int column = 0; column < 4; ++column) {
        WriteSetting(kSettingKeys[kLayoutWidthFirst + column], layout.widths[column]);
    }
}

void LoadSettingsSection(const char* section, RunningSettings& settings) {
    for (const SettingKey* entry : SectionKeys(section)) {
        if (entry->running != nullptr) {
            settings.*entry->running = ReadSetting(*entry);
        }
    }
}

void LoadGeneralSettings(RunningSettings& settings) {
    LoadSettingsSection("General", settings);
}

void LoadConfirmationSettings(RunningSettings& settings) {
    LoadSettingsSection("Confirmation", settings);
}

void LoadMonitoringSettings(RunningSettings& settings) {
    LoadSettingsSection("Monitoring", settings);
}

} // namespace kv
