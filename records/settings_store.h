// settings.ini next to the program file: every key with its section, default,
// limits and running copy in one table, and the operations that read and
// write them.
#pragma once

#include <string>
#include <vector>

namespace kv {

// The running copies of the settings that the program consults while it runs;
// non-zero means on. They follow settings.ini at every load; before the first
// load they hold the table's defaults (DefaultRunningSettings).
struct RunningSettings {
    // General
    int ShowIcon;
    int MinimizeToTray;
    int CloseToTray;
    // Confirmation: ask before the command runs.
    int MultiDel;
    int SingleDel;
    int MultiEdit;
    int SingleEdit;
    int MultiRun;
    int SingleRun;
    int MultiOpen;
    int SingleOpen;
    int Restore;
    // Monitoring
    int NewMon;
    int OldMon;
    int Freq; // minutes, 1 to 60
    int KeepOff; // take out again, unasked, a disabled entry that puts itself back
};

// One key of settings.ini.
struct SettingKey {
    const char* section;
    const char* key;
    int defaultValue;
    int minimum; // a loaded value is held within minimum..maximum
    int maximum;
    int RunningSettings::*running; // the running copy; null for the layout keys
};

// Every key, section by section. The first 13 are the layout keys of
// "Common" and "ListView" in the order ReadLayoutSetting numbers them.
constexpr int kSettingKeyCount = 29;
extern const SettingKey kSettingKeys[kSettingKeyCount];

enum LayoutSetting {
    kLayoutLeft = 0,
    kLayoutTop = 1,
    kLayoutRight = 2,
    kLayoutBottom = 3,
    kLayoutCmdShow = 4,
    kLayoutOrderFirst = 5, // One..Four: column shown at display positions 1..4
    kLayoutWidthFirst = 9, // WidthOne..WidthFour: widths of columns 0..3
    kLayoutKeyCount = 13,
};

// The key of this section and name (compared without regard to case); null
// when the table has none.
const SettingKey* FindSettingKey(const std::string& section, const std::string& key);

// The keys of one section (compared without regard to case), in table order.
std::vector<const SettingKey*> SectionKeys(const std::string& section);

// Every running value at its default.
RunningSettings DefaultRunningSettings();

// The full path of the program file itself, as the system loaded it; empty
// only if the system cannot tell.
std::string ProgramFilePath();

// The folder of the program file, without a trailing backslash: the program's
// own command line resolved to its file, cut before the last backslash.
std::string ExecutableDirectory();

// ExecutableDirectory() + "\settings.ini".
std::string SettingsFilePath();

// A key as the profile functions read an integer (the default when missing,
// 0 when the text does not begin with a number), held within its limits.
int ReadSetting(const SettingKey& key);
void WriteSetting(const SettingKey& key, int value);

// One of the 13 layout keys by index; any other index gives 0.
int ReadLayoutSetting(int index);

// What the main window and its list look like, as settings.ini keeps it: the
// restored rectangle and show state as the window's placement gives them, the
// column shown at each display position, and the width of each column.
struct WindowLayout {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int showCmd = 1;
    int order[4] = {0, 1, 2, 3};
    int widths[4] = {0, 0, 0, 0};
};

// Writes the 13 layout keys.
void SaveWindowLayout(const WindowLayout& layout);

// Read one section into the running values.
void LoadSettingsSection(const char* section, RunningSettings& settings);
void LoadGeneralSettings(RunningSettings& settings);
void LoadConfirmationSettings(RunningSettings& settings);
void LoadMonitoringSettings(RunningSettings& settings);

} // namespace kv
