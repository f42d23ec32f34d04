#include "base/test_seams.h"
#include "records/disabled_store.h"
#include "records/settings_store.h"
#include "records/user_data_folder.h"
#include "shell/frame/app_state.h"

#include "support/files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <climits>

namespace {

// Each test has a program folder of its own, with no settings.ini at first.
class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        kv::SetExecutableDirectoryForTests(folder.path());
        kv::g_app.settings = kv::DefaultRunningSettings();
    }
    void TearDown() override {
        kv::SetExecutableDirectoryForTests(std::string());
        kv::g_app.settings = kv::DefaultRunningSettings();
    }
    void Write(const char* section, const char* key, const char* value) {
        ASSERT_TRUE(WritePrivateProfileStringA(section, key, value, file().c_str()));
    }
    std::string file() const { return folder / "settings.ini"; }

    kvtest::TempFolder folder{"settings"};
};

TEST_F(SettingsStore, NoFileGivesEveryDefault) {
    EXPECT_EQ(file(), kv::SettingsFilePath());
    // Running values that differ from every default, so each load shows.
    int* const all[] = {&kv::g_app.settings.ShowIcon,    &kv::g_app.settings.MinimizeToTray,
                        &kv::g_app.settings.CloseToTray, &kv::g_app.settings.MultiDel,
                        &kv::g_app.settings.SingleDel,   &kv::g_app.settings.MultiEdit,
                        &kv::g_app.settings.SingleEdit,  &kv::g_app.settings.MultiRun,
                        &kv::g_app.settings.SingleRun,   &kv::g_app.settings.MultiOpen,
                        &kv::g_app.settings.SingleOpen,  &kv::g_app.settings.Restore,
                        &kv::g_app.settings.NewMon,      &kv::g_app.settings.OldMon,
                        &kv::g_app.settings.Freq,        &kv::g_app.settings.KeepOff};
    for (int* value : all) {
        *value = 7;
    }
    kv::LoadMonitoringSettings(kv::g_app.settings);
    kv::LoadConfirmationSettings(kv::g_app.settings);
    kv::LoadGeneralSettings(kv::g_app.settings);
    const int expected[] = {1, 1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    for (std::size_t i = 0; i < sizeof(expected) / sizeof(expected[0]); ++i) {
        EXPECT_EQ(expected[i], *all[i]) << i;
    }

    const int layout[13] = {0, 0, INT_MIN, INT_MIN, 1, 0, 1, 2, 3, 167, 280, 85, 308};
    for (int index = 0; index < 13; ++index) {
        EXPECT_EQ(layout[index], kv::ReadLayoutSetting(index)) << index;
    }
    EXPECT_EQ(0, kv::ReadLayoutSetting(13));
    EXPECT_EQ(0, kv::ReadLayoutSetting(-1));
    EXPECT_FALSE(kvtest::FileExists(file())); // reading creates nothing
}

TEST_F(SettingsStore, FreqIsHeldBetweenOneAndSixty) {
    const struct {
        const char* text;
        int loaded;
    } cases[] = {{"0", 1}, {"61", 60}, {"abc", 1}, {"-5", 1}, {"1", 1}, {"60", 60}, {"17", 17}};
    for (const auto& c : cases) {
        Write("Monitoring", "Freq", c.text);
        kv::LoadMonitoringSettings(kv::g_app.settings);
        EXPECT_EQ(c.loaded, kv::g_app.settings.Freq) << c.text;
    }
}

TEST_F(SettingsStore, EachKeyGoesToItsOwnRunningValue) {
    const char* confirmation[9] = {"MultiDel",  "SingleDel", "MultiEdit",  "SingleEdit", "MultiRun",
                                   "SingleRun", "MultiOpen", "SingleOpen", "Restore"};
    for (int i = 0; i < 9; ++i) {
        Write("Confirmation", confirmation[i], std::to_string(10 + i).c_str());
    }
    Write("General", "ShowIcon", "0");
    Write("General", "MinimizeToTray", "5");
    Write("General", "CloseToTray", "6");
    Write("Monitoring", "NewMon", "0");
    Write("Monitoring", "OldMon", "2");
    kv::LoadConfirmationSettings(kv::g_app.settings);
    kv::LoadGeneralSettings(kv::g_app.settings);
    kv::LoadMonitoringSettings(kv::g_app.settings);
    const kv::RunningSettings& s = kv::g_app.settings;
    const int loaded[9] = {s.MultiDel,  s.SingleDel, s.MultiEdit,  s.SingleEdit, s.MultiRun,
                           s.SingleRun, s.MultiOpen, s.SingleOpen, s.Restore};
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(10 + i, loaded[i]) << confirmation[i];
    }
    EXPECT_EQ(0, s.ShowIcon);
    EXPECT_EQ(5, s.MinimizeToTray);
    EXPECT_EQ(6, s.CloseToTray);
    EXPECT_EQ(0, s.NewMon);
    EXPECT_EQ(2, s.OldMon);
}

TEST_F(SettingsStore, SavedLayoutIsReadBack) {
    const struct {
        const char* section;
        const char* key;
        int value;
    } saved[13] = {{"Common", "Left", -7},        {"Common", "Top", 12},
                   {"Common", "Right", 1000},     {"Common", "Bottom", 2000},
                   {"Common", "cmdShow", 3},      {"ListView", "One", 2},
                   {"ListView", "Two", 0},        {"ListView", "Three", 1},
                   {"ListView", "Four", 3},       {"ListView", "WidthOne", 100},
                   {"ListView", "WidthTwo", 200}, {"ListView", "WidthThree", 50},
                   {"ListView", "WidthFour", 60}};
    for (const auto& key : saved) {
        Write(key.section, key.key, std::to_string(key.value).c_str());
    }
    for (int index = 0; index < 13; ++index) {
        EXPECT_EQ(saved[index].value, kv::ReadLayoutSetting(index)) << saved[index].key;
    }
}

} // namespace

namespace {

// A program folder deeper than a settings or store path may be: every read
// gives its default and every write fails cleanly, without a crash or a cut
// path that would land the files somewhere else.
TEST_F(SettingsStore, AProgramFolderBeyondThePathLimit) {
    const std::string deep =
        folder.path() + "\\" + std::string(150, 'd') + "\\" + std::string(150, 'e');
    kv::SetExecutableDirectoryForTests(deep);
    EXPECT_EQ(deep + "\\settings.ini", kv::SettingsFilePath());
    kv::WriteSetting(*kv::FindSettingKey("Monitoring", "Freq"), 30);
    kv::LoadMonitoringSettings(kv::g_app.settings);
    EXPECT_EQ(1, kv::g_app.settings.Freq);
    EXPECT_EQ(INT_MIN, kv::ReadLayoutSetting(kv::kLayoutRight));

    const std::string store = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    EXPECT_EQ(0u, store.find(deep + "\\List Settings\\"));
    kv::StartupEntry entry;
    entry.title = "t";
    entry.command = "c.exe";
    entry.location = "HKCU\\Run";
    EXPECT_FALSE(kv::WriteDisabledStore({entry}));
    EXPECT_TRUE(kv::ReadDisabledStore().empty());
    // Nothing was written under a shortened name beside the real folder.
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder.path() + "\\*").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    int names = 0;
    do {
        names += std::string(found.cFileName) != "." && std::string(found.cFileName) != "..";
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_EQ(0, names);
}

} // namespace
