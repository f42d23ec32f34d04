#include "base/test_seams.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "records/profile_records.h"
#include "records/settings_store.h"
#include "records/user_data_folder.h"

#include "support/files.h"
#include "support/rows.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

using kvtest::Entry;

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

// A delayed entry in disable.ini: its delay comes back, the profile reader
// still finds the record's texts, and editing its texts keeps the delay.
TEST_F(DisabledStore, DelayedEntryKeepsItsDelay) {
    kv::StartupEntry delayed = Entry("Cloud", "cloud.exe /tray", "HKCU\\Run");
    delayed.delaySeconds = 120;
    const kv::StartupEntry plain = Entry("Chat", "chat.exe", "HKCU\\Run");
    ASSERT_TRUE(kv::WriteDisabledStore({delayed, plain}));
    std::vector<kv::StartupEntry> read = kv::ReadDisabledEntries();
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(120, read[0].delaySeconds);
    EXPECT_FALSE(read[0].checked);
    EXPECT_EQ(0, read[1].delaySeconds);
    char value[64] = {};
    GetPrivateProfileStringA("object 1", "command", "", value, sizeof(value), StorePath().c_str());
    EXPECT_STREQ("cloud.exe /tray", value);
    GetPrivateProfileStringA("object 1", "delay", "", value, sizeof(value), StorePath().c_str());
    EXPECT_STREQ("120", value);

    ASSERT_TRUE(kv::UpdateDisabledRecord("Cloud", "cloud.exe /tray", "HKCU\\Run", "Cloud",
                                         "cloud.exe", "HKCU\\Run"));
    read = kv::ReadDisabledEntries();
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ("cloud.exe", read[0].command);
    EXPECT_EQ(120, read[0].delaySeconds);
    EXPECT_EQ(0, read[1].delaySeconds);
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
        EXPECT_EQ(kv::kIconOfCommand, read[i].icon);
    }
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
    // No new file was left behind beside the store.
    const std::string store = StorePath();
    WIN32_FIND_DATAA found;
    HANDLE search =
        FindFirstFileA((store.substr(0, store.rfind('\\')) + "\\*.tmp").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
}

// A store read in part and written again would lose the rest: a store that
// could not be read whole is not written again until it is read whole.
TEST_F(DisabledStore, AStoreThatCannotBeReadWholeIsNeverRewritten) {
    const std::string store = StorePath();
    const std::string text = "[common]\r\ntotal=2\r\n"
                             "[object 1]\r\ntitle=One\r\ncommand=one.exe\r\nlocation=HKCU\\A\r\n"
                             "[object 2]\r\ntitle=Two\r\ncommand=two.exe\r\nlocation=HKCU\\A\r\n";
    const kv::StartupEntry added = Entry("New", "new.exe", "HKCU\\A");

    // Unreadable while it is read (open elsewhere without sharing): the
    // entries made from that reading are not written, though the file could
    // be read by now.
    kvtest::MakeFile(store, text);
    HANDLE held = CreateFileA(store.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<kv::StartupEntry> entries = kv::ReadDisabledEntries();
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(kv::FileRead::Unreadable, kv::DisabledStoreRead());
    CloseHandle(held);
    entries.push_back(added);
    EXPECT_FALSE(kv::WriteDisabledStore(entries));
    EXPECT_EQ(text, kvtest::ReadFileText(store));
    EXPECT_EQ(2u, kv::ReadDisabledEntries().size()); // read whole again, it may change
    EXPECT_TRUE(kv::EraseDisabledEntry(1));

    // Larger than any store: not read, and no change reads or writes it.
    kvtest::MakeFile(store, text);
    const unsigned long long size = kv::kMaxStoredFileSize + 1;
    kvtest::GrowFile(store, size);
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
    EXPECT_EQ(kv::FileRead::TooLarge, kv::DisabledStoreRead());
    EXPECT_FALSE(kv::WriteDisabledStore({added}));
    EXPECT_FALSE(kv::InsertDisabledEntry(0, added));
    EXPECT_FALSE(kv::EraseDisabledEntry(0));
    EXPECT_FALSE(
        kv::UpdateDisabledRecord("One", "one.exe", "HKCU\\A", "Uno", "uno.exe", "HKCU\\A"));
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA(store.c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(size,
              (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    kvtest::RemovePath(store);
}

// A store padded to just below the largest size that is read whole: each
// writer refuses a change that would take it past that size, and leaves the
// file as it is; changes that keep it within the size go on.
TEST_F(DisabledStore, AChangeThatWouldGrowTheStorePastTheReadLimitIsRefused) {
    const std::string run = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_TRUE(kv::WriteDisabledStore({Entry("One", "one.exe", run)}));
    const std::string store = StorePath();
    std::string text = kvtest::ReadFileText(store) + "[padding]\r\n";
    const std::string line = "p=" + std::string(998, 'p') + "\r\n";
    while (text.size() + line.size() <= kv::kMaxStoredFileSize - 600) {
        text += line;
    }
    kvtest::MakeFile(store, text);
    ASSERT_EQ(1u, kv::ReadDisabledEntries().size());

    const kv::StartupEntry small = Entry("Two", "two.exe", run);
    const kv::StartupEntry large = Entry("Big", "big.exe " + std::string(1000, 'a'), run);
    struct Refused {
        const char* writer;
        bool written;
    };
    const Refused refusals[] = {
        {"insert", kv::InsertDisabledEntry(1, large)},
        {"write", kv::WriteDisabledStore({Entry("One", "one.exe", run), large})},
        {"update", kv::UpdateDisabledRecord("One", "one.exe", run, "One", large.command, run)},
    };
    for (const Refused& refused : refusals) {
        EXPECT_FALSE(refused.written) << refused.writer;
    }
    EXPECT_TRUE(kv::DisabledStoreRefusedAsTooLarge());
    // Compared whole, without a printed difference of 64 MB of text.
    EXPECT_TRUE(text == kvtest::ReadFileText(store)) << "the store was changed";
    // Nothing is locked: the store still reads whole and takes what fits.
    EXPECT_TRUE(kv::DisabledStoreMayChange());
    EXPECT_TRUE(kv::InsertDisabledEntry(1, small));
    EXPECT_FALSE(kv::DisabledStoreRefusedAsTooLarge());
    EXPECT_EQ(2u, kv::ReadDisabledEntries().size());
    EXPECT_EQ(kv::FileRead::Whole, kv::DisabledStoreRead());
    EXPECT_TRUE(kv::EraseDisabledEntry(0));
    EXPECT_EQ("Two", kv::ReadDisabledEntries().at(0).title);
    kvtest::RemovePath(store);
}

// A bulk move takes out one record for each entry that left (equal entries
// take equal records in turn, a loosely equal one only when no exact one is
// left, even when it stands first), adds the ones that came back, and keeps
// the others in their order.
TEST_F(DisabledStore, TheSnapshotLearnsOfABulkMoveRecordByRecord) {
    const std::string run = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    ASSERT_TRUE(kv::WriteChangeSnapshot({Entry("Twin", "t.exe", run), Entry("Keep", "k.exe", run),
                                         Entry("CASE", "C.EXE", run), Entry("Twin", "t.exe", run),
                                         Entry("LOOSE", "L.EXE", run), Entry("Case", "c.exe", run),
                                         Entry("Last", "l.exe", run)}));
    ASSERT_TRUE(kv::SnapshotMoveEntries({Entry("Twin", "t.exe", run), Entry("loose", "l.exe", run),
                                         Entry("Case", "c.exe", run), Entry("Twin", "t.exe", run),
                                         Entry("Twin", "t.exe", run)},
                                        {Entry("Back", "b.exe", run)}));
    std::vector<std::string> titles;
    for (const kv::StartupEntry& entry : kv::ReadChangeSnapshot()) {
        titles.push_back(entry.title);
    }
    EXPECT_EQ((std::vector<std::string>{"Keep", "CASE", "Last", "Back"}), titles);
}

} // namespace
