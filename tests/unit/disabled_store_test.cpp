#include "records/disabled_store.h"
#include "records/profile_records.h"
#include "records/settings_store.h"
#include "records/user_data_folder.h"

#include "support/files.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

kv::StartupEntry Entry(const std::string& title, const std::string& command,
                       const std::string& location) {
    kv::StartupEntry entry;
    entry.title = title;
    entry.command = command;
    entry.location = location;
    return entry;
}

class DisabledStore : public ::testing::Test {
  protected:
    void SetUp() override { kv::SetExecutableDirectoryForTests(folder.path()); }
    void TearDown() override { kv::SetExecutableDirectoryForTests(""); }
    std::string StorePath() { return kv::UserDataFilePath(kv::UserDataFile::DisabledStore); }
    kvtest::TempFolder folder{"program"};
};

TEST_F(DisabledStore, PerUserAndVersionFolder) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    const std::string expected =
        folder.path() + "\\List Settings\\" +
        kv::UserFolderName(kv::CurrentUserName(), version.dwMajorVersion, version.dwMinorVersion);
    EXPECT_EQ(expected + "\\disable.ini", StorePath());
    EXPECT_EQ(expected + "\\report.ini", kv::UserDataFilePath(kv::UserDataFile::ChangeSnapshot));
    EXPECT_TRUE(kvtest::FileExists(expected)); // the folders are made on the way

    // Two users, two Windows versions: folders side by side.
    EXPECT_EQ("Ivan_5.1", kv::UserFolderName("Ivan", 5, 1));
    EXPECT_EQ("Ivan_4.10", kv::UserFolderName("Ivan", 4, 10));
    EXPECT_EQ("Default_5.1", kv::UserFolderName("", 5, 1));
    EXPECT_FALSE(kv::CurrentUserName().empty());

    // A folder removed while the program runs is made again.
    kvtest::RemovePath(folder / "List Settings");
    kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    EXPECT_TRUE(kvtest::FileExists(expected));
}

TEST_F(DisabledStore, RoundTripKeepsTextsExactly) {
    const std::vector<kv::StartupEntry> written = {
        Entry("\"Quoted\"", "\"C:\\Program Files\\a.exe\"",
              "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
        Entry(" padded ", "b.exe ", "section: [windows]; parameter: run"),
    };
    ASSERT_TRUE(kv::WriteDisabledStore(written));
    const std::vector<kv::StartupEntry> read = kv::ReadDisabledStore();
    ASSERT_EQ(2u, read.size());
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(written[i].title, read[i].title);
        EXPECT_EQ(written[i].command, read[i].command);
        EXPECT_EQ(written[i].location, read[i].location);
        EXPECT_FALSE(read[i].checked);
        EXPECT_EQ(kv::kIconLookup, read[i].icon);
    }
    EXPECT_EQ("C:\\Program Files\\a.exe", read[0].iconPath);
}

TEST_F(DisabledStore, IncompleteRecordsAndRecordsBeyondTotalAreSkipped) {
    const char* path = nullptr;
    const std::string store = StorePath();
    path = store.c_str();
    WritePrivateProfileStringA("common", "total", "3", path);
    WritePrivateProfileStringA("object 1", "title", "A", path);
    WritePrivateProfileStringA("object 1", "command", "a.exe", path);
    WritePrivateProfileStringA("object 1", "location", "HKCU\\X", path);
    WritePrivateProfileStringA("object 2", "title", "NoCommand", path);
    WritePrivateProfileStringA("object 2", "location", "HKCU\\X", path);
    WritePrivateProfileStringA("object 3", "title", "C", path);
    WritePrivateProfileStringA("object 3", "command", "c.exe", path);
    WritePrivateProfileStringA("object 3", "location", "HKCU\\X", path);
    WritePrivateProfileStringA("object 4", "title", "D", path);
    WritePrivateProfileStringA("object 4", "command", "d.exe", path);
    WritePrivateProfileStringA("object 4", "location", "HKCU\\X", path);
    const std::vector<kv::StartupEntry> read = kv::ReadDisabledStore();
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ("A", read[0].title);
    EXPECT_EQ("C", read[1].title);
}

TEST_F(DisabledStore, UpdateChangesTheMatchingRecordOrAppends) {
    ASSERT_TRUE(kv::WriteDisabledStore(
        {Entry("One", "one.exe", "HKCU\\A"), Entry("Two", "two.exe", "HKCU\\B")}));
    ASSERT_TRUE(
        kv::UpdateDisabledRecord("TWO", "Two.EXE", "hkcu\\b", "Zwei", "zwei.exe /q", "HKLM\\C"));
    std::vector<kv::StartupEntry> read = kv::ReadDisabledStore();
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ("Zwei", read[1].title); // same record number
    EXPECT_EQ("zwei.exe /q", read[1].command);
    EXPECT_EQ("HKLM\\C", read[1].location);
    ASSERT_TRUE(kv::UpdateDisabledRecord("Gone", "gone.exe", "X", "New", "new.exe", "HKCU\\N"));
    read = kv::ReadDisabledStore();
    ASSERT_EQ(3u, read.size());
    EXPECT_EQ("New", read[2].title);
}

TEST_F(DisabledStore, ManyRecordsWrittenAgainAndAgainStayWhole) {
    std::vector<kv::StartupEntry> entries;
    for (int i = 0; i < 300; ++i) {
        entries.push_back(Entry("Entry " + std::to_string(i), "app" + std::to_string(i) + ".exe",
                                "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"));
        ASSERT_TRUE(kv::WriteDisabledStore(entries));
    }
    const std::vector<kv::StartupEntry> read = kv::ReadDisabledStore();
    ASSERT_EQ(300u, read.size());
    EXPECT_EQ("Entry 299", read[299].title);
    EXPECT_FALSE(kvtest::FileExists(StorePath() + ".new"));
}

} // namespace
