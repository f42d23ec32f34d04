#include "records/profile_records.h"

#include "base/text.h"
#include "records/entry_records.h"

#include "support/files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <map>
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

// The names of the folder's files with their bytes.
std::map<std::string, std::string> FolderFiles(const std::string& folder) {
    std::map<std::string, std::string> files;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                files[found.cFileName] = kvtest::ReadFileText(folder + "\\" + found.cFileName);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    return files;
}

TEST_F(ProfileRecords, AFailedRewriteLeavesTheOldFileWhole) {
    // The user's files beside the target, also under the names a writer might
    // take for its new file (the first ones this process would make among
    // them), stay as they are; no other file is left.
    std::map<std::string, std::string> files = {{"store.ini.new", "the user's\r\n"},
                                                {"store.ini.tmp", "x"}};
    for (unsigned long n = 0; n <= 256; ++n) {
        char name[64];
        std::snprintf(name, sizeof(name), "~kv%lx-%lx.tmp",
                      static_cast<unsigned long>(GetCurrentProcessId()), n);
        files[name] = name;
    }
    for (const auto& file : files) {
        kvtest::MakeFile(folder / file.first, file.second);
    }
    ASSERT_TRUE(kv::WriteProfileRecords(path, {Record("a", "a.exe", "L")}, false, true));
    files["store.ini"] = kvtest::ReadFileText(path);
    EXPECT_EQ(files, FolderFiles(folder.path()));
    EXPECT_EQ("a", kv::ReadProfileRecords(path, false).at(0).title);

    // The new file cannot be put in place while the old one is open: both
    // the old one and the neighbours stay, and the new one goes.
    HANDLE open = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(kv::ReplaceFileWhole(path, "[common]\r\ntotal=0\r\n", true));
    CloseHandle(open);
    EXPECT_EQ(files, FolderFiles(folder.path()));
}

TEST(ProfileRecordText, QuotesOnlyWhatTheReaderWouldChange) {
    EXPECT_EQ("plain", kv::QuoteForProfile("plain"));
    EXPECT_EQ("in \"side\"", kv::QuoteForProfile("in \"side\""));
    EXPECT_EQ("\"\"a\"\"", kv::QuoteForProfile("\"a\""));
    EXPECT_EQ("\" a\"", kv::QuoteForProfile(" a"));
    EXPECT_EQ("", kv::QuoteForProfile(""));
}

} // namespace

namespace {

// Files that no build of the program wrote: hand-edited, damaged or left by
// other tools. Every value reads exactly as the platform's profile functions
// read it, so older and hand-made stores mean what they always meant.
TEST_F(ProfileRecords, HandMadeFilesReadAsTheProfileFunctionsReadThem) {
    const std::string text = "  [ Common ]\n"
                             "[common]\r\n"
                             "total = 7 records\r\n"
                             "stray line\r\n"
                             "[OBJECT 1]\n"
                             "  Title   =   spaced out   \r\n"
                             "title=second of the name\r\n"
                             "command='single quoted'\r\n"
                             "location=\"\r\n"
                             "[object 2\r\n"
                             "[object 02]\r\n"
                             "title=leading zero\r\n"
                             "[object 3]x]\r\n"
                             "title=bracket\r\n"
                             "[object 3]\r\n"
                             "title=\"\"\"\r\n"
                             "command\r\n"
                             "location=a=b\r\n"
                             "[object 3]\r\n"
                             "title=second section of the name\r\n"
                             "[object 4]\r\n"
                             "title=\x1A\t\"x\" \r\n";
    kvtest::MakeFile(path, text);
    const kv::RecordFile file = kv::ReadRecordFile(path, false);
    EXPECT_TRUE(file.exists);
    EXPECT_EQ(static_cast<long long>(GetPrivateProfileIntA("common", "total", 0, path.c_str())),
              file.total);
    std::map<long long, const ProfileRecord*> byNumber;
    for (const ProfileRecord& record : file.records) {
        byNumber[record.number] = &record;
    }
    for (long long number = 1; number <= file.total; ++number) {
        const std::string section = "object " + std::to_string(number);
        const auto found = byNumber.find(number);
        const ProfileRecord* record = found == byNumber.end() ? nullptr : found->second;
        const std::string texts[3] = {record ? record->title : "<missing>",
                                      record ? record->command : "<missing>",
                                      record ? record->location : "<missing>"};
        const char* keys[3] = {"title", "command", "location"};
        for (int i = 0; i < 3; ++i) {
            std::string expected = PlatformValue(path, section, keys[i]);
            if (record != nullptr && expected == "<missing>") {
                expected.clear(); // a missing key of a present record reads as empty text
            }
            EXPECT_EQ(expected, texts[i]) << section << " " << keys[i];
        }
    }
}

TEST_F(ProfileRecords, ReadingCostsWhatTheFileHoldsNotWhatTotalClaims) {
    for (const char* claim : {"2000000000", "99999999999999999999", "-5"}) {
        kvtest::MakeFile(path, std::string("[common]\r\ntotal=") + claim +
                                   "\r\n[object 1]\r\ntitle=a\r\n[object 3]\r\ntitle=c\r\n");
        const kv::RecordFile file = kv::ReadRecordFile(path, false);
        const bool claimsRecords = claim[0] != '-';
        ASSERT_EQ(claimsRecords ? 2u : 0u, file.records.size()) << claim;
        if (claimsRecords) {
            EXPECT_EQ(1, file.records[0].number);
            EXPECT_EQ("c", file.records[1].title);
            EXPECT_FALSE(file.records[1].whole); // no command, no location
        }
    }
}

TEST_F(ProfileRecords, EmptyTextsAndLineBreaksComeBackExactly) {
    ProfileRecord broken = Record("Two\nLines", "x.exe\r\n[object 1]\r\ntitle=injected", "L");
    broken.extra["link"] = "Two.lnk";
    const std::vector<ProfileRecord> written = {Record("", "", "HKCU\\Run"), broken};
    ASSERT_TRUE(kv::WriteProfileRecords(path, written, false, true));
    const kv::RecordFile file = kv::ReadRecordFile(path, false);
    ASSERT_EQ(2u, file.records.size());
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(file.records[i].whole);
        EXPECT_EQ(written[i].title, file.records[i].title);
        EXPECT_EQ(written[i].command, file.records[i].command);
        EXPECT_EQ(written[i].location, file.records[i].location);
    }
    EXPECT_EQ("Two.lnk", file.records[1].extra.at("link"));
    // Readers that know only the three keys see a readable line, and no
    // record of its own: the line break never reaches the file.
    EXPECT_EQ("2", PlatformValue(path, "common", "total"));
    EXPECT_EQ("Two Lines", PlatformValue(path, "object 2", "title"));
    EXPECT_EQ("<missing>", PlatformValue(path, "object 1", "injected"));
    EXPECT_EQ("", PlatformValue(path, "object 1", "title"));
}

} // namespace

namespace {

// Keys a record carries beyond its three texts count only where they agree
// with them: a file rewritten key by key by another program can leave an
// older record's keys under a newer record's section.
TEST(ProfileRecordText, ExtraKeysCountOnlyWhenTheyAgreeWithTheTexts) {
    const std::string twoLines = kv::HexEncode("Two\nLines");
    struct Case {
        std::string keys; // the section's lines after "title", "command", "location"
        std::string title;
        std::string command;
        bool whole;
        bool hasValue;
        unsigned long type;
        std::string bytes;
        std::string file; // the kept file's name, empty for none
    };
    const std::string plain = "title=Tool.lnk\r\ncommand=a.exe\r\nlocation=L\r\n";
    const Case cases[] = {
        // Exact texts: used when their line breaks shown as blanks give the plain text.
        {"title=Two Lines\r\ntitle.hex=" + twoLines + "\r\ncommand=a.exe\r\nlocation=L\r\n",
         "Two\nLines", "a.exe", true, false, 1, "", ""},
        {"title=Other\r\ntitle.hex=" + twoLines + "\r\ncommand=a.exe\r\nlocation=L\r\n", "Other",
         "a.exe", true, false, 1, "", ""},
        {"title=x\r\ncommand=\r\ncommand.hex=" + kv::HexEncode("b") + "\r\nlocation=L\r\n", "x", "",
         false, false, 1, "", ""},
        // A value's bytes: used when, up to the first zero byte, they are the
        // command; its type only with such bytes, or with none.
        {plain + "type=2\r\ndata=" + kv::HexEncode(std::string("a.exe\0tail", 10)) + "\r\n",
         "Tool.lnk", "a.exe", true, true, 2, std::string("a.exe\0tail", 10), ""},
        {plain + "type=2\r\ndata=" + kv::HexEncode(std::string("b.exe\0", 6)) + "\r\n", "Tool.lnk",
         "a.exe", true, false, 1, "", ""},
        {plain + "type=2\r\n", "Tool.lnk", "a.exe", true, true, 2, std::string("a.exe\0", 6), ""},
        // A kept file: used when its name is the title's, or a further copy's of it.
        {plain + "link=Tool (12).lnk\r\n", "Tool.lnk", "a.exe", true, false, 1, "",
         "Tool (12).lnk"},
        {plain + "link=Tool (1).lnk\r\n", "Tool.lnk", "a.exe", true, false, 1, "", ""},
        {plain + "link=Other.lnk\r\n", "Tool.lnk", "a.exe", true, false, 1, "", ""},
    };
    for (const Case& test : cases) {
        const kv::RecordFile file =
            kv::RecordsOfText("[common]\r\ntotal=1\r\n[object 1]\r\n" + test.keys, false);
        ASSERT_EQ(1u, file.records.size()) << test.keys;
        const ProfileRecord& record = file.records[0];
        EXPECT_EQ(test.title, record.title) << test.keys;
        EXPECT_EQ(test.command, record.command) << test.keys;
        EXPECT_EQ(test.whole, record.whole) << test.keys;
        const kv::StartupEntry entry = kv::EntryOfRecord(record, "C:\\kept");
        EXPECT_EQ(test.hasValue, entry.kept.hasValue) << test.keys;
        EXPECT_EQ(test.type, entry.kept.valueType) << test.keys;
        EXPECT_EQ(test.bytes, entry.kept.valueBytes) << test.keys;
        EXPECT_EQ(test.file.empty() ? "" : "C:\\kept\\" + test.file, entry.kept.file) << test.keys;
    }
}

// A value's record keeps what brings the value back: a value with an exact
// name always says its type (it can come back only through that name), a
// plain REG_SZ of a code-page name keeps the older record's form.
TEST(ProfileRecordText, AValueWithAnExactNameKeepsItsType) {
    struct Case {
        std::wstring exactName;
        unsigned long type;
        std::string typeKey; // "" for none
    };
    const Case cases[] = {
        {L"", REG_SZ, ""},       {L"", REG_EXPAND_SZ, "2"},      {L"Tool\u65e5", REG_SZ, "1"},
        {L"Tool?", REG_SZ, "1"}, {L"Tool?", REG_EXPAND_SZ, "2"},
    };
    for (const Case& test : cases) {
        kv::StartupEntry entry;
        entry.title = "Tool?";
        entry.command = "a.exe /x";
        entry.location = "L";
        entry.exactName = test.exactName;
        entry.kept.hasValue = true;
        entry.kept.valueType = test.type;
        entry.kept.valueBytes = entry.command + '\0';
        const ProfileRecord record = kv::RecordOfEntry(entry);
        const auto type = record.extra.find("type");
        EXPECT_EQ(test.typeKey, type == record.extra.end() ? "" : type->second) << test.type;
        EXPECT_EQ(0u, record.extra.count("data"));
        const kv::StartupEntry back = kv::EntryOfRecord(record, "C:\\kept");
        EXPECT_EQ(test.exactName, back.exactName);
        EXPECT_EQ(!test.typeKey.empty(), back.kept.hasValue);
        if (back.kept.hasValue) {
            EXPECT_EQ(test.type, back.kept.valueType);
            EXPECT_EQ(entry.kept.valueBytes, back.kept.valueBytes);
        }
    }
}

// A delayed entry's record carries its delay beside what it keeps; a record
// without the key, or with one that is no delay, reads as a plain disabled
// entry, as an older reader sees every such record.
TEST(ProfileRecordText, DelayKeyRoundTripAndOlderRecords) {
    struct Case {
        std::string keys; // lines after the three texts
        int delay;
    };
    const std::string plain = "title=Tool\r\ncommand=a.exe\r\nlocation=L\r\n";
    const Case cases[] = {
        {plain, 0},
        {plain + "delay=60\r\n", 60},
        {plain + "Delay=1\r\n", 1},
        {plain + "delay=3600\r\n", 3600},
        {plain + "delay=3601\r\n", 0},
        {plain + "delay=0\r\n", 0},
        {plain + "delay=-5\r\n", 0},
        {plain + "delay=12x\r\n", 0},
        {plain + "delay=99999999999999999999\r\n", 0},
        {plain + "type=2\r\ndelay=30\r\n", 30},
    };
    for (const Case& test : cases) {
        const kv::RecordFile file =
            kv::RecordsOfText("[common]\r\ntotal=1\r\n[object 1]\r\n" + test.keys, false);
        ASSERT_EQ(1u, file.records.size()) << test.keys;
        const kv::StartupEntry entry = kv::EntryOfRecord(file.records[0], "C:\\kept");
        EXPECT_EQ(test.delay, entry.delaySeconds) << test.keys;
        EXPECT_FALSE(entry.checked) << test.keys;
        EXPECT_EQ("a.exe", entry.command) << test.keys;
    }
}

} // namespace
