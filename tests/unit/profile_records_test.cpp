#include "records/profile_records.h"

#include "support/files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

using kv::ProfileRecord;

namespace {

ProfileRecord Record(const std::string& title, const std::string& command,
                     const std::string& location, int state = 0) {
    ProfileRecord record;
    record.title = title;
    record.command = command;
    record.location = location;
    record.state = state;
    return record;
}

// A value as the platform's own profile reader gives it.
std::string PlatformValue(const std::string& path, const std::string& section,
                          const std::string& key) {
    std::vector<char> buffer(70000);
    const DWORD length =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", buffer.data(),
                                 static_cast<DWORD>(buffer.size()), path.c_str());
    return std::string(buffer.data(), length);
}

class ProfileRecords : public ::testing::Test {
  protected:
    kvtest::TempFolder folder{"records"};
    std::string path = folder / "store.ini";
};

TEST_F(ProfileRecords, TextsComeBackExactlyThroughTheProfileReader) {
    // Quotes and blanks at either end are what the reader would take away.
    const std::vector<ProfileRecord> written = {
        Record("\"quoted\"", "\"C:\\Program Files\\a.exe\"", "HKCU\\X"),
        Record(" lead", "trail ", "'single'"),
        Record("mid \"quote\" here", "\"C:\\a b\\c.exe\" /s", "section: [windows]; parameter: run"),
        Record("x=y;z", "[not a section]", "C:\\Folder"),
    };
    ASSERT_TRUE(kv::WriteProfileRecords(path, written, false, true));
    const std::vector<ProfileRecord> read = kv::ReadProfileRecords(path, false);
    ASSERT_EQ(written.size(), read.size());
    for (std::size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(written[i].title, read[i].title) << i;
        EXPECT_EQ(written[i].command, read[i].command) << i;
        EXPECT_EQ(written[i].location, read[i].location) << i;
    }
}

TEST_F(ProfileRecords, LongValuesAreReadWhole) {
    const std::string command = "C:\\x.exe " + std::string(20000, 'a');
    ASSERT_TRUE(kv::WriteProfileRecords(path, {Record("t", command, "L")}, false, true));
    EXPECT_EQ(command, kv::ReadProfileRecords(path, false).at(0).command);
}

TEST_F(ProfileRecords, OlderFilesReadAsBefore) {
    // A file written key by key by the profile functions.
    const char* file = path.c_str();
    WritePrivateProfileStringA("common", "total", "2", file);
    WritePrivateProfileStringA("object 1", "title", "One", file);
    WritePrivateProfileStringA("object 1", "command", "\"C:\\one.exe\"", file);
    WritePrivateProfileStringA("object 1", "location", "HKCU\\Run", file);
    WritePrivateProfileStringA("object 2", "title", "Two", file);
    WritePrivateProfileStringA("object 3", "title", "Beyond", file);
    const std::vector<ProfileRecord> read = kv::ReadProfileRecords(path, false);
    ASSERT_EQ(2u, read.size());                // "total" alone decides
    EXPECT_EQ("C:\\one.exe", read[0].command); // the enclosing quotes go, as they always did
    EXPECT_EQ("Two", read[1].title);
    EXPECT_EQ("", read[1].command); // a missing key reads as empty text
}

TEST_F(ProfileRecords, RewritingKeepsOtherSectionsAndStaleRecords) {
    ASSERT_TRUE(kv::WriteProfileRecords(
        path, {Record("a", "a.exe", "L"), Record("b", "b.exe", "L"), Record("c", "c.exe", "L")},
        false, true));
    WritePrivateProfileStringA("extra", "note", "kept", path.c_str());
    ASSERT_TRUE(kv::WriteProfileRecords(path, {Record("z", "z.exe", "L")}, false, true));
    EXPECT_EQ(1u, kv::ReadProfileRecords(path, false).size());
    EXPECT_EQ("z", PlatformValue(path, "object 1", "title"));
    EXPECT_EQ("b", PlatformValue(path, "object 2", "title")); // beyond "total", ignored
    EXPECT_EQ("c", PlatformValue(path, "object 3", "title"));
    EXPECT_EQ("kept", PlatformValue(path, "extra", "note"));
    // Without keeping, the file holds exactly the records.
    ASSERT_TRUE(kv::WriteProfileRecords(path, {Record("y", "y.exe", "L")}, false, false));
    EXPECT_EQ("<missing>", PlatformValue(path, "object 2", "title"));
    EXPECT_EQ("<missing>", PlatformValue(path, "extra", "note"));
}

TEST_F(ProfileRecords, StateKey) {
    ASSERT_TRUE(kv::WriteProfileRecords(
        path, {Record("on", "a", "L", 1), Record("off", "b", "L", 0)}, true, true));
    const std::vector<ProfileRecord> read = kv::ReadProfileRecords(path, true);
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(1, read[0].state);
    EXPECT_EQ(0, read[1].state);
    EXPECT_EQ("1", PlatformValue(path, "object 1", "state"));
}

TEST_F(ProfileRecords, AFailedRewriteLeavesTheOldFileWhole) {
    ASSERT_TRUE(kv::WriteProfileRecords(path, {Record("a", "a.exe", "L")}, false, true));
    // The new file cannot be made beside the old one: a folder has its name.
    kvtest::MakeFolder(path + ".new");
    EXPECT_FALSE(kv::WriteProfileRecords(path, {Record("b", "b.exe", "L")}, false, true));
    const std::vector<ProfileRecord> read = kv::ReadProfileRecords(path, false);
    ASSERT_EQ(1u, read.size());
    EXPECT_EQ("a", read[0].title);
}

TEST(ProfileRecordText, QuotesOnlyWhatTheReaderWouldChange) {
    EXPECT_EQ("plain", kv::QuoteForProfile("plain"));
    EXPECT_EQ("in \"side\"", kv::QuoteForProfile("in \"side\""));
    EXPECT_EQ("\"\"a\"\"", kv::QuoteForProfile("\"a\""));
    EXPECT_EQ("\" a\"", kv::QuoteForProfile(" a"));
    EXPECT_EQ("", kv::QuoteForProfile(""));
}

} // namespace
