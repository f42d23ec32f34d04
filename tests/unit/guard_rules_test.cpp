// The guard's rules on plain data: a changed command told from a new program
// and a gone one, a disabled entry found by its title and location, the lines
// and cap of guard.log, and the keys the watch covers.
#include "entries/catalogue.h"
#include "entries/location_watch.h"
#include "records/command_change.h"
#include "records/guard_log.h"

#include "support/rows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kvtest::Entry;

const std::string kRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kLmRun = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kTask = kv::ScheduledTaskLocationString("\\");

TEST(CommandChangeRule, SameTitleAndLocationWithAnotherCommandIsOneChange) {
    struct Case {
        const char* what;
        std::vector<kv::StartupEntry> previous;
        std::vector<kv::StartupEntry> current;
        std::vector<std::pair<std::size_t, std::size_t>> paired;
        std::vector<std::size_t> added;
        std::vector<std::size_t> vanished;
    };
    const Case cases[] = {
        {"a changed command", {Entry("App", "a.exe", kRun)}, {Entry("App", "b.exe", kRun)},
         {{0, 0}}, {}, {}},
        {"titles and locations without regard to the case of A-Z",
         {Entry("app", "a.exe", kRun)}, {Entry("APP", "b.exe", "hkcu\\software\\microsoft\\"
                                                             "windows\\currentversion\\run")},
         {{0, 0}}, {}, {}},
        {"another location is a new program and a gone one", {Entry("App", "a.exe", kRun)},
         {Entry("App", "b.exe", kLmRun)}, {}, {0}, {0}},
        {"another title too", {Entry("App", "a.exe", kRun)}, {Entry("Apq", "b.exe", kRun)}, {},
         {0}, {0}},
        {"a Cyrillic letter's case is another title",
         {Entry("\xFF", "a.exe", kRun)}, {Entry("\xDF", "b.exe", kRun)}, {}, {0}, {0}},
        {"a task is its title and location: no change", {Entry("T", "a.exe", kTask)},
         {Entry("T", "b.exe", kTask)}, {}, {}, {}},
        {"each pairs once, in the order of the new ones",
         {Entry("App", "a.exe", kRun), Entry("Other", "o.exe", kRun), Entry("App", "c.exe", kRun)},
         {Entry("New", "n.exe", kRun), Entry("App", "b.exe", kRun), Entry("App", "d.exe", kRun),
          Entry("App", "e.exe", kRun)},
         {{0, 1}, {2, 2}}, {0, 3}, {1}},
    };
    for (const Case& c : cases) {
        kv::EntryChanges changes = kv::CompareEntrySets(c.previous, c.current);
        const std::vector<kv::CommandChange> paired =
            kv::TakeCommandChanges(c.previous, c.current, changes);
        std::vector<std::pair<std::size_t, std::size_t>> got;
        for (const kv::CommandChange& change : paired) {
            got.emplace_back(change.previous, change.current);
        }
        EXPECT_EQ(c.paired, got) << c.what;
        EXPECT_EQ(c.added, changes.added) << c.what;
        EXPECT_EQ(c.vanished, changes.vanished) << c.what;
    }
}

TEST(CommandChangeRule, AStoredEntryIsFoundByItsTitleAndLocationWhateverItsCommand) {
    const std::vector<kv::StartupEntry> store = {
        Entry("App", "old.exe", kRun), Entry("Else", "e.exe", kRun), Entry("APP", "older.exe", kRun),
        Entry("App", "lm.exe", kLmRun)};
    struct Case {
        kv::StartupEntry entry;
        std::size_t index;
    };
    const Case cases[] = {
        {Entry("App", "new.exe", kRun), 2}, // the last of its name
        {Entry("app", "old.exe", kRun), 2},
        {Entry("App", "x.exe", kLmRun), 3},
        {Entry("Apps", "old.exe", kRun), store.size()},
        {Entry("Else", "e.exe", kLmRun), store.size()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.index, kv::StoredNamesake(store, c.entry)) << c.entry.title;
    }
    EXPECT_EQ(0u, kv::StoredNamesake({}, Entry("App", "a", kRun)));
}

TEST(GuardLogText, OneLinePerEventAndTheOldestLinesGoFirst) {
    SYSTEMTIME when{};
    when.wYear = 2026;
    when.wMonth = 3;
    when.wDay = 7;
    when.wHour = 9;
    when.wMinute = 5;
    when.wSecond = 1;
    // A line break inside a name stays inside its line.
    EXPECT_EQ("2026-03-07 09:05:01\tTwo lines\t" + kRun + "\t\"C:\\a b\\x.exe\" /s\r\n",
              kv::GuardLogLine(when, Entry("Two\nlines", "\"C:\\a b\\x.exe\" /s", kRun)));

    struct Case {
        std::string text;
        std::string line;
        std::size_t cap;
        std::string result;
    };
    const Case cases[] = {
        {"", "new\r\n", 100, "new\r\n"},
        {"a\r\nb\r\n", "new\r\n", 100, "a\r\nb\r\nnew\r\n"},
        {"a\r\nb\r\n", "new\r\n", 8, "b\r\nnew\r\n"}, // exactly the cap
        {"a\r\nb\r\n", "new\r\n", 7, "new\r\n"},
        {"aaaa\r\nb\r\n", "new\r\n", 9, "b\r\nnew\r\n"},
        {"a\r\n", "a much longer line\r\n", 5, "a much longer line\r\n"}, // never cut
        {"cut short", "new\r\n", 100, "cut short\r\nnew\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.result, kv::AppendedLogText(c.text, c.line, c.cap)) << c.text << c.cap;
    }
}

TEST(WatchedKeysRule, AKeyBelowAnotherIsCoveredByItsWatch) {
    const std::vector<kv::WatchedKey> keys = {
        {HKEY_LOCAL_MACHINE, "Software\\A\\Run"},   {HKEY_LOCAL_MACHINE, "Software\\A\\Run\\Sub"},
        {HKEY_CURRENT_USER, "Software\\A\\Run\\Sub"}, {HKEY_LOCAL_MACHINE, "software\\a\\run"},
        {HKEY_LOCAL_MACHINE, "Software\\A\\RunOnce"}, {HKEY_LOCAL_MACHINE, "Software\\A"},
        {HKEY_CURRENT_USER, "Software\\B"}};
    const std::vector<kv::WatchedKey> kept = kv::WithoutCoveredKeys(keys);
    std::vector<std::string> paths;
    for (const kv::WatchedKey& key : kept) {
        paths.push_back((key.root == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") + key.path);
    }
    EXPECT_EQ((std::vector<std::string>{"HKCU\\Software\\A\\Run\\Sub", "HKLM\\Software\\A",
                                        "HKCU\\Software\\B"}),
              paths);

    EXPECT_EQ("Software\\A", kv::ParentPath("Software\\A\\Run"));
    EXPECT_EQ("", kv::ParentPath("Software"));
    EXPECT_EQ("C:", kv::ParentPath("C:\\Users"));

    // Every catalogue key is watched, each once, and each with its parent
    // (and both Startup folders with theirs) fits one wait.
    const std::vector<kv::WatchedKey> watched = kv::WatchedRegistryKeys();
    EXPECT_EQ(watched.size(), kv::WithoutCoveredKeys(watched).size());
    EXPECT_LE(2 * (watched.size() + 2) + 1, static_cast<std::size_t>(MAXIMUM_WAIT_OBJECTS));
    for (const kv::RegistryLocation& location : kv::kValueKeys) {
        const HKEY root = std::string(location.root) == "HKCU" ? HKEY_CURRENT_USER
                                                               : HKEY_LOCAL_MACHINE;
        bool found = false;
        for (const kv::WatchedKey& key : watched) {
            found = found || (key.root == root && key.path == location.keyPath);
        }
        EXPECT_TRUE(found) << location.root << "\\" << location.keyPath;
    }
}

} // namespace
