// The moves of entries against what their locations hold now, without a
// window: another program writes between the list's refresh and the move.
#include "entries/catalogue.h"
#include "base/handles.h"
#include "base/test_seams.h"
#include "moves/bulk_moves.h"
#include "moves/entry_moves.h"
#include "records/disabled_store.h"
#include "records/settings_store.h"

#include "support/files.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>

using kvtest::ReadString;
using kvtest::SetValue;
using kvtest::ValueExists;

namespace {

const std::string kHkcuRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSwitchKey = std::string(kvtest::kStartupApprovedKey) + "\\Run";
const std::string kSwitchOff = std::string("\x03\0\0\0", 4) + std::string(8, '\x11');

kv::StartupEntry Shown(const std::string& title, const std::string& command,
                       const std::string& location = kHkcuRun) {
    kv::StartupEntry entry;
    entry.title = title;
    entry.command = command;
    entry.location = location;
    return entry;
}

// The type and bytes of a value; type REG_NONE when it is missing.
std::pair<DWORD, std::string> ValueOf(const std::string& name) {
    HKEY key = nullptr;
    std::pair<DWORD, std::string> value{REG_NONE, std::string()};
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kv::kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return value;
    }
    char data[512];
    DWORD size = sizeof(data);
    if (RegQueryValueExA(key, name.c_str(), nullptr, &value.first, reinterpret_cast<BYTE*>(data),
                         &size) == ERROR_SUCCESS) {
        value.second.assign(data, size);
    }
    RegCloseKey(key);
    return value;
}

const kv::Consent kYes = [](const std::string&) { return true; };
const kv::Consent kNo = [](const std::string&) { return false; };

class EntryMoves : public kvtest::StartupRegistryTest {
  protected:
    void SetUp() override {
        kvtest::StartupRegistryTest::SetUp();
        kv::SetExecutableDirectoryForTests(folder.path());
    }
    void TearDown() override {
        kv::SetExecutableDirectoryForTests("");
        kvtest::StartupRegistryTest::TearDown();
    }
    kvtest::TempFolder folder{"program"};
};

TEST_F(EntryMoves, TakingOutKeepsWhatTheLocationHoldsNowAndAGoneEntryIsStale) {
    // The list showed v1; an updater has since written v2 as an expandable
    // value. v2 is what leaves and what comes back, byte for byte.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Foo", "%WINDIR%\\v2.exe", REG_EXPAND_SZ);
    const auto v2 = ValueOf("Foo");
    const kv::MoveOutcome out = kv::TakeOut(Shown("Foo", "C:\\v1.exe"), 0);
    ASSERT_TRUE(out.done()) << out.text;
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Foo"));
    ASSERT_EQ(1u, kv::ReadDisabledEntries().size());
    EXPECT_EQ("%WINDIR%\\v2.exe", kv::ReadDisabledEntries()[0].command);
    ASSERT_TRUE(kv::PutBack(out.entry, 0, kNo).done());
    EXPECT_EQ(v2, ValueOf("Foo"));
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());

    // Another program deleted the entry: nothing is stored, and the list is
    // to be read again; the same for a delete.
    const kv::StartupEntry ghost = Shown("Ghost", "ghost.exe");
    EXPECT_EQ(kv::MoveResult::Stale, kv::TakeOut(ghost, 0).result);
    EXPECT_EQ(kv::MoveResult::Stale, kv::DeleteActive(ghost).result);
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
    // A changed entry is not deleted unseen.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Changed", "new.exe");
    EXPECT_EQ(kv::MoveResult::Stale, kv::DeleteActive(Shown("Changed", "old.exe")).result);
    EXPECT_EQ("new.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Changed"));
}

TEST_F(EntryMoves, NothingOfTheSameNameIsReplacedWithoutConsent) {
    // Per kind of location: the disabled entry's stored form, and what
    // another program put under the same name meanwhile.
    const std::string folderPath = kvtest::CurrentUserStartupFolder();
    ASSERT_FALSE(folderPath.empty());
    struct Case {
        kv::StartupEntry entry;
        std::function<void()> putActive;
        std::function<std::string()> active;
    };
    const std::string link = folderPath + "\\Foo.lnk";
    const Case cases[] = {
        {Shown("Foo", "C:\\stale.exe"),
         [] { SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Foo", "C:\\fresh.exe"); },
         [] { return ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Foo"); }},
        {Shown("Foo.lnk", "C:\\stale.exe", folderPath),
         [&] { kvtest::MakeShellLink(link, "C:\\fresh.exe"); },
         [&] { return kvtest::ReadShellLink(link).target; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry.location);
        if (c.entry.location == folderPath) {
            kvtest::MakeShellLink(link, "C:\\stale.exe");
        } else {
            SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Foo", "C:\\stale.exe");
        }
        const kv::MoveOutcome out = kv::TakeOut(c.entry, 0);
        ASSERT_TRUE(out.done()) << out.text;
        c.putActive();
        const std::string fresh = c.active();
        ASSERT_NE(std::string(), fresh);

        // No: both stay, the stored one stored.
        std::string asked;
        const kv::MoveOutcome declined = kv::PutBack(out.entry, 0, [&](const std::string& q) {
            asked = q;
            return false;
        });
        EXPECT_EQ(kv::MoveResult::Declined, declined.result);
        EXPECT_NE(std::string::npos, asked.find(c.entry.location));
        EXPECT_NE(std::string::npos, asked.find(c.entry.title));
        EXPECT_EQ(fresh, c.active());
        EXPECT_EQ(1u, kv::ReadDisabledEntries().size());
        // No consent at all refuses as well.
        EXPECT_FALSE(kv::PutBack(out.entry, 0, nullptr).done());
        EXPECT_EQ(fresh, c.active());

        // Yes: the stored one replaces it, and leaves the store.
        ASSERT_TRUE(kv::PutBack(out.entry, 0, kYes).done());
        EXPECT_NE(fresh, c.active());
        EXPECT_TRUE(kv::ReadDisabledEntries().empty());
    }

    // Adding under a name the location holds: asked, and No writes nothing.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Taken", "C:\\mine.exe");
    int writes = 0;
    const auto write = [&] {
        ++writes;
        kv::LocationOutcome outcome;
        outcome.kind = kv::OutcomeKind::Created;
        return outcome;
    };
    EXPECT_EQ(kv::MoveResult::Declined, kv::AddNew(Shown("Taken", ""), write, kNo).result);
    EXPECT_EQ(0, writes);
    EXPECT_TRUE(kv::AddNew(Shown("Taken", ""), write, kYes).done());
    EXPECT_EQ(1, writes);

    // An edit that renames an entry onto a name the location holds: No
    // changes neither.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Renamed", "C:\\renamed.exe");
    const kv::MakeReplacement rename = [](const kv::StartupEntry& old, kv::Replacement& made) {
        made.entry = old;
        made.entry.title = "Taken";
        made.fromForm = true;
        return 0u;
    };
    EXPECT_EQ(kv::MoveResult::Declined,
              kv::ReplaceActive(Shown("Renamed", "C:\\renamed.exe"), rename, write, kNo).result);
    EXPECT_EQ("C:\\renamed.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Renamed"));
    EXPECT_EQ("C:\\mine.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Taken"));
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
}

TEST_F(EntryMoves, WindowsSwitchFollowsTheEntryItBelongsTo) {
    // A disabled "Foo" and an active "Foo" that Windows switched off:
    // deleting the disabled one leaves the active one's switch alone.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Foo", "C:\\old.exe");
    const kv::MoveOutcome out = kv::TakeOut(Shown("Foo", "C:\\old.exe"), 0);
    ASSERT_TRUE(out.done());
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Foo", "C:\\new.exe");
    SetValue(HKEY_CURRENT_USER, kSwitchKey, "Foo", kSwitchOff, REG_BINARY, false);
    ASSERT_TRUE(kv::DeleteStored({out.entry}, {0}).done());
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kSwitchKey, "Foo"));

    // Renamed in the editor, a switched-off entry stays off under its new
    // name, and its old name's switch goes.
    const kv::MakeReplacement rename = [](const kv::StartupEntry& old, kv::Replacement& made) {
        made.entry = old;
        made.entry.title = "Bar";
        made.fromForm = true;
        return 0u;
    };
    const auto unused = [] { return kv::LocationOutcome(); };
    ASSERT_TRUE(kv::ReplaceActive(Shown("Foo", "C:\\new.exe"), rename, unused, kNo).done());
    EXPECT_EQ("C:\\new.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Bar"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kSwitchKey, "Foo"));
    ASSERT_TRUE(ValueExists(HKEY_CURRENT_USER, kSwitchKey, "Bar"));
    EXPECT_EQ(kSwitchOff.substr(0, 1),
              ReadString(HKEY_CURRENT_USER, kSwitchKey, "Bar").substr(0, 1));
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
}

TEST_F(EntryMoves, BulkMovesAskForEachNameTakenMeanwhileAndKeepWhatIsDeclined) {
    const std::vector<std::string> names = {"One", "Two", "Three"};
    std::vector<kv::StartupEntry> shown;
    for (const std::string& name : names) {
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, name, "C:\\" + name + ".exe");
        shown.push_back(Shown(name, "C:\\" + name + ".exe"));
    }
    const kv::BulkOutcome out = kv::TakeOutAll(shown, {0, 0, 0});
    ASSERT_EQ(3u, kv::ReadDisabledEntries().size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(kv::MoveResult::Done, out.results[i]) << names[i];
        EXPECT_EQ(names[i], kv::ReadDisabledEntries()[i].title);
    }
    // "Two" puts itself back meanwhile: it is asked about, and No keeps both.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Two", "C:\\Two\\new.exe");
    std::vector<std::string> asked;
    const kv::BulkOutcome back = kv::PutBackAll(shown, {0, 1, 2}, [&](const std::string& q) {
        asked.push_back(q);
        return false;
    });
    EXPECT_EQ(1u, asked.size());
    EXPECT_EQ(kv::MoveResult::Done, back.results[0]);
    EXPECT_EQ(kv::MoveResult::Declined, back.results[1]);
    EXPECT_EQ(kv::MoveResult::Done, back.results[2]);
    EXPECT_EQ("C:\\Two\\new.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Two"));
    EXPECT_EQ("C:\\Three.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Three"));
    ASSERT_EQ(1u, kv::ReadDisabledEntries().size());
    EXPECT_EQ("C:\\Two.exe", kv::ReadDisabledEntries()[0].command);
}

TEST_F(EntryMoves, AnEditedDisabledEntryKeepsItsExactName) {
    const std::wstring wide = L"Name \u65e5";
    kv::StartupEntry stored = Shown(kv::Narrow(wide), "C:\\a.exe");
    stored.exactName = wide;
    stored.kept.hasValue = true;
    stored.kept.valueBytes = "C:\\a.exe";
    stored.kept.valueBytes += '\0';
    ASSERT_TRUE(kv::WriteDisabledStore({stored}));
    const kv::MakeReplacement newCommand = [](const kv::StartupEntry& old, kv::Replacement& made) {
        made.entry = old;
        made.entry.exactName.clear(); // the dialog knows titles only
        made.entry.command = "C:\\b.exe";
        made.entry.kept.valueBytes = std::string("C:\\b.exe") + '\0';
        return 0u;
    };
    ASSERT_TRUE(kv::ReplaceStored(stored, 0, newCommand).done());
    ASSERT_EQ(1u, kv::ReadDisabledEntries().size());
    EXPECT_EQ(wide, kv::ReadDisabledEntries()[0].exactName);
    EXPECT_EQ("C:\\b.exe", kv::ReadDisabledEntries()[0].command);
}

// An edited delayed entry stays delayed where its new location may be
// delayed, and becomes a plain disabled one where it may not.
TEST_F(EntryMoves, AnEditedDelayedEntryKeepsItsDelayWhereItMay) {
    const std::string run = "HKCU\\" + std::string(kv::kRunKey);
    const std::string runOnce = "HKCU\\" + std::string(kv::kRunOnceKey);
    for (const auto& [location, delay] : {std::pair{run, 90}, std::pair{runOnce, 0}}) {
        kv::StartupEntry stored = Shown("Game", "C:\\game.exe");
        stored.delaySeconds = 90;
        ASSERT_TRUE(kv::WriteDisabledStore({stored}));
        const std::string to = location;
        // The dialog makes the new entry from its fields alone.
        const kv::MakeReplacement edit = [to](const kv::StartupEntry&, kv::Replacement& made) {
            made.entry = Shown("Game", "C:\\game2.exe", to);
            return 0u;
        };
        ASSERT_TRUE(kv::ReplaceStored(stored, 0, edit).done()) << location;
        ASSERT_EQ(1u, kv::ReadDisabledEntries().size());
        EXPECT_EQ(delay, kv::ReadDisabledEntries()[0].delaySeconds) << location;
    }
}

} // namespace
