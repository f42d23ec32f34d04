// settings.ini next to the program file: every key with its section and
// default in one table, and the operations that read and write them.
#pragma once

#include <string>

namespace kv {

struct SettingKey {
    const char* section;
    const char* key;
    int defaultValue;
};

// "Common" and "ListView", by the index ReadLayoutSetting takes:
// 0 Left, 1 Top, 2 Right, 3 Bottom, 4 cmdShow, 5 One, 6 Two, 7 Three, 8 Four,
// 9 WidthOne, 10 WidthTwo, 11 WidthThree, 12 WidthFour.
extern const SettingKey kLayoutKeys[13];
enum LayoutSetting {
    kLayoutLeft = 0,
    kLayoutTop = 1,
    kLayoutRight = 2,
    kLayoutBottom = 3,
    kLayoutCmdShow = 4,
    kLayoutOrderFirst = 5, // One..Four: column shown at display positions 1..4
    kLayoutWidthFirst = 9, // WidthOne..WidthFour: widths of columns 0..3
};
// "General": ShowIcon, MinimizeToTray, CloseToTray.
extern const SettingKey kGeneralKeys[3];
// "Confirmation": MultiDel, SingleDel, MultiEdit, SingleEdit, MultiRun,
// SingleRun, MultiOpen, SingleOpen, Restore.
extern const SettingKey kConfirmationKeys[9];
// "Monitoring": NewMon, OldMon, Freq.
extern const SettingKey kMonitoringKeys[3];

// The folder of the program file, without a trailing backslash: the program's
// own command line resolved to its file, cut before the last backslash.
std::string ExecutableDirectory();
// Tests run the program's code from a test program: they may name the folder
// that stands in for the program's own. An empty text restores the real one.
void SetExecutableDirectoryForTests(const std::string& directory);

// ExecutableDirectory() + "\settings.ini".
std::string SettingsFilePath();

// A key as the profile functions read an integer: the default when missing,
// 0 when the text does not begin with a number.
int ReadSetting(const SettingKey& key);
void WriteSetting(const SettingKey& key, int value);

// One of the 13 layout keys by index; any other index gives 0.
int ReadLayoutSetting(int index);

// Writes the main window's restored rectangle and show state, and the list's
// column order and widths.
void SaveWindowLayout();

// Read one section into the running values (Freq is held between 1 and 60).
void LoadGeneralSettings();
void LoadConfirmationSettings();
void LoadMonitoringSettings();

} // namespace kv
