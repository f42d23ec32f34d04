// The main window's moves while something else happens: a change check's
// question is open, or another program wrote since the list was read.
#include "base/strings.h"
#include "entries/catalogue.h"
#include "records/disabled_store.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"

#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>

using kvtest::ReadString;
using kvtest::SetValue;
using kvtest::ValueExists;

namespace {

class MovesNow : public kvtest::MainWindowTest {
  protected:
    std::vector<std::string> StoredTitles() {
        std::vector<std::string> titles;
        for (const kv::StartupEntry& entry : kv::ReadDisabledEntries()) {
            titles.push_back(entry.title);
        }
        std::sort(titles.begin(), titles.end());
        return titles;
    }
};

TEST_F(MovesNow, WhileACheckAsksNoBoxOrCommandChangesTheSet) {
    for (const char* name : {"A", "B", "C"}) {
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, name, std::string(name) + ".exe");
    }
    OpenMainWindow();
    SetBox("A", false);
    SetBox("B", false);
    ASSERT_EQ((std::vector<std::string>{"A", "B"}), StoredTitles());
    {
        // A timed check's question is open; the window came up from the tray.
        kv::FlagScope asking(kv::g_app.CheckBusy);
        SetBox("A", true);
        SendCommand(IDM_ENABLE_ALL);
        SendCommand(IDM_DISABLE_ALL);
        SendCommand(IDM_DELETE);
        EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("A")));
        EXPECT_TRUE(kv::RowBoxSet(RowWithTitle("C")));
        EXPECT_EQ(kv::LoadText(IDS_WAIT_FOR_CHECK), StatusText(0));
    }
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "A"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "C"));
    // The next move finds every record where it was.
    SetBox("C", false);
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C"}), StoredTitles());
    SendCommand(IDM_ENABLE_ALL);
    for (const char* name : {"A", "B", "C"}) {
        EXPECT_EQ(std::string(name) + ".exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, name));
    }
    EXPECT_TRUE(StoredTitles().empty());
}

TEST_F(MovesNow, ABoxSetOverAnEntryOfTheSameNameAsksFirst) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Foo", "C:\\old\\foo.exe");
    OpenMainWindow();
    SetBox("Foo", false);
    // The program puts itself back with a new path while its row is clear.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Foo", "C:\\new\\foo.exe");
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "", IDNO);
        SetBox("Foo", true);
        answerer.WaitAll();
        ASSERT_EQ(1u, answerer.Seen().size());
        EXPECT_NE(std::string::npos, answerer.Seen()[0].text.find("Foo"));
    }
    EXPECT_EQ("C:\\new\\foo.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Foo"));
    EXPECT_EQ(std::vector<std::string>{"Foo"}, StoredTitles());
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("Foo")));
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "", IDYES);
        SetBox("Foo", true);
        answerer.WaitAll();
    }
    EXPECT_EQ("C:\\old\\foo.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Foo"));
    EXPECT_TRUE(StoredTitles().empty());
}

TEST_F(MovesNow, AnEntryGoneSinceTheRefreshIsNotMovedAndTheListIsReadAgain) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Gone", "gone.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Stays", "stays.exe");
    OpenMainWindow();
    kvtest::DeleteValue(HKEY_CURRENT_USER, kv::kRunKey, "Gone");
    SetBox("Gone", false);
    EXPECT_TRUE(StoredTitles().empty());
    EXPECT_EQ(-1, RowWithTitle("Gone"));
    EXPECT_NE(-1, RowWithTitle("Stays"));
}

} // namespace
