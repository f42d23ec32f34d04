// Clearing and setting rows' check boxes in the real main window, and the
// delete command: entries move between their locations and disable.ini.
#include "base/test_seams.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "entries/winini_reader.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "records/profile_records.h"
#include "records/settings_store.h"
#include "records/user_data_folder.h"
#include "shell/frame/app_state.h"
#include "shell/actions/entry_actions.h"
#include "shell/list/entry_list.h"
#include "shell/list/scan_driver.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/text.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <map>

using kvtest::Ansi;
using kvtest::ReadString;
using kvtest::SetValue;
using kvtest::ValueExists;

namespace {

const std::string kHkcuRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class EnableDisable : public kvtest::MainWindowTest {
  protected:
    void TearDown() override {
        kv::SetRegistryWritesBlockedForTests(false);
        kvtest::MainWindowTest::TearDown();
    }
    int CountRows(const std::string& title) {
        int count = 0;
        for (int row = 0; row < kv::RowCount(); ++row) {
            count += kv::RowText(row, kv::kColumnTitle) == title ? 1 : 0;
        }
        return count;
    }
    std::vector<std::string> StoredTitles() {
        std::vector<std::string> titles;
        for (const kv::StartupEntry& entry : kv::ReadDisabledStore()) {
            titles.push_back(entry.title);
        }
        return titles;
    }
    void SetSetting(const char* section, const char* key, int value) {
        WriteSetting(section, key, value);
        kv::LoadConfirmationSettings(kv::g_app.settings);
    }
    void SelectOnly(const std::vector<std::string>& titles) {
        ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
        for (const std::string& title : titles) {
            ListView_SetItemState(list(), RowWithTitle(title), LVIS_SELECTED, LVIS_SELECTED);
        }
        kvtest::PumpMessages();
    }
};

TEST_F(EnableDisable, TheTypicalRoadThroughARunKey) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Road", "C:\\windows\\notepad.exe /x");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Other", "other.exe");
    OpenMainWindow();
    const int before = RowWithTitle("Road");
    SetBox("Road", false);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Road"));
    EXPECT_EQ(std::vector<std::string>{"Road"}, StoredTitles());
    EXPECT_EQ(before, RowWithTitle("Road")); // the row stays in place, unchecked
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("Road")));
    EXPECT_EQ(Ansi("Сервис Road был отключен"), StatusText(0));

    kv::ScanDriver();
    EXPECT_EQ(1, CountRows("Road"));
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("Road")));
    EXPECT_TRUE(kv::RowChecked(RowWithTitle("Other")));

    SetBox("Road", true);
    EXPECT_EQ("C:\\windows\\notepad.exe /x", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Road"));
    EXPECT_TRUE(StoredTitles().empty());
    EXPECT_EQ(Ansi("Сервис Road был включен"), StatusText(0));
    kv::ScanDriver();
    EXPECT_EQ(1, CountRows("Road"));
    EXPECT_TRUE(kv::RowChecked(RowWithTitle("Road")));
}

// The list keeps no rows of its own: the keyboard, the marks and the
// boxes are the program's to keep right.
TEST_F(EnableDisable, TheKeyboardAndTheMarksFollowTheRows) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Alpha", "alpha.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Beta", "beta.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Gamma", "gamma.exe");
    OpenMainWindow();
    ASSERT_EQ((std::vector<std::string>{"Gamma", "Beta", "Alpha"}), Titles());

    // Typing goes to the row whose title begins so, in any letter case.
    SendMessageA(list(), WM_CHAR, 'b', 1); // typed once
    kvtest::PumpMessages();
    EXPECT_EQ(RowWithTitle("Beta"), kv::FirstSelectedRow());
    EXPECT_EQ(1, kv::SelectedCount());

    // The space bar turns the focused row's box over, and the entry follows.
    SendMessageA(list(), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(list(), WM_KEYUP, VK_SPACE, 0);
    kvtest::PumpMessages();
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("Beta")));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Beta"));
    EXPECT_EQ(std::vector<std::string>{"Beta"}, StoredTitles());

    // A row put on top and a row taken out leave the selection, the focus
    // and the boxes of the others on their own rows.
    kv::AddEntryRow("Top", "top.exe", kHkcuRun, 0);
    kv::SetRowBox(0, true); // shown active, as a restored entry would be
    EXPECT_EQ(RowWithTitle("Beta"), kv::FirstSelectedRow());
    EXPECT_EQ(RowWithTitle("Beta"), ListView_GetNextItem(list(), -1, LVNI_FOCUSED));
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("Beta")));
    EXPECT_TRUE(kv::RowChecked(RowWithTitle("Alpha")));
    kv::DeleteEntryRow(RowWithTitle("Gamma"));
    EXPECT_EQ((std::vector<std::string>{"Top", "Beta", "Alpha"}), Titles());
    EXPECT_EQ(1, kv::FirstSelectedRow());
    EXPECT_EQ(1, kv::SelectedCount());
    EXPECT_EQ(1, ListView_GetNextItem(list(), -1, LVNI_FOCUSED));
    EXPECT_EQ(std::string("beta.exe"), kv::RowText(1, kv::kColumnCommand));

    // Again, and the entry comes back.
    SendMessageA(list(), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(list(), WM_KEYUP, VK_SPACE, 0);
    kvtest::PumpMessages();
    EXPECT_TRUE(kv::RowChecked(1));
    EXPECT_EQ("beta.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Beta"));
    EXPECT_TRUE(StoredTitles().empty());
}

TEST_F(EnableDisable, EveryKindOfLocationGoesAndComesBack) {
    const std::string section = std::string(kv::kRunOnceExKey) + "\\Setup";
    const std::string subkey = std::string(kv::kRunKey) + "\\Vendor";
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunKey, "Machine", "m.exe -a");
    SetValue(HKEY_LOCAL_MACHINE, section, "Step", "||notepad.exe");
    SetValue(HKEY_CURRENT_USER, subkey, "Helper", "helper.exe");
    const std::string folder = kv::GetStartupFolderPath(0);
    kvtest::MakeShellLink(folder + "\\Notes.lnk", "C:\\windows\\notepad.exe", "C:\\a.txt");
    WriteProfileStringA("windows", "run", "C:\\WINDOWS\\TASKMON.EXE,keep.exe");
    WriteProfileStringA("windows", "load", "loader.exe");
    OpenMainWindow();

    for (const char* title :
         {"Machine", "Step", "Helper", "Notes.lnk", "TASKMON.EXE", "loader.exe"}) {
        SetBox(title, false);
        EXPECT_TRUE(kv::RowUnchecked(RowWithTitle(title))) << title;
    }
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kv::kRunKey, "Machine"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, section, "Step"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, subkey, "Helper"));
    EXPECT_FALSE(kvtest::FileExists(folder + "\\Notes.lnk"));
    EXPECT_EQ("keep.exe", kv::ReadWinIniValue("run"));
    EXPECT_EQ("", kv::ReadWinIniValue("load"));
    EXPECT_EQ(6u, StoredTitles().size());

    kv::ScanDriver();
    for (const char* title :
         {"Machine", "Step", "Helper", "Notes.lnk", "TASKMON.EXE", "loader.exe"}) {
        EXPECT_EQ(1, CountRows(title)) << title;
        SetBox(title, true);
    }
    EXPECT_EQ("m.exe -a", ReadString(HKEY_LOCAL_MACHINE, kv::kRunKey, "Machine"));
    EXPECT_EQ("||notepad.exe", ReadString(HKEY_LOCAL_MACHINE, section, "Step"));
    EXPECT_EQ("helper.exe", ReadString(HKEY_CURRENT_USER, subkey, "Helper"));
    EXPECT_TRUE(kvtest::FileExists(folder + "\\Notes.lnk"));
    EXPECT_EQ("keep.exe C:\\WINDOWS\\TASKMON.EXE", kv::ReadWinIniValue("run"));
    EXPECT_EQ("loader.exe", kv::ReadWinIniValue("load"));
    EXPECT_TRUE(StoredTitles().empty());

    kv::ScanDriver();
    const int row = RowWithTitle("Notes.lnk");
    ASSERT_GE(row, 0);
    EXPECT_EQ("C:\\windows\\notepad.exe C:\\a.txt", kv::RowText(row, kv::kColumnCommand));
}

TEST_F(EnableDisable, AFailedRemovalKeepsTheEntryActiveAndUnrecorded) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Locked", "l.exe");
    OpenMainWindow();
    kv::SetRegistryWritesBlockedForTests(true);
    SetBox("Locked", false);
    kv::SetRegistryWritesBlockedForTests(false);
    EXPECT_TRUE(kv::RowChecked(RowWithTitle("Locked")));
    EXPECT_TRUE(StoredTitles().empty());
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Locked"));
    EXPECT_EQ(
        Ansi("Не могу удалить сервис Locked. Возможно этот сервис уже был удален или переименован"),
        StatusText(0));
    kv::ScanDriver();
    EXPECT_EQ(1, CountRows("Locked"));

    // A shortcut held open by another program cannot be deleted either.
    const std::string folder = kv::GetStartupFolderPath(0);
    kvtest::MakeShellLink(folder + "\\Held.lnk", "C:\\windows\\notepad.exe");
    kv::ScanDriver();
    HANDLE held = CreateFileA((folder + "\\Held.lnk").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    SetBox("Held.lnk", false);
    CloseHandle(held);
    EXPECT_TRUE(kv::RowChecked(RowWithTitle("Held.lnk")));
    EXPECT_TRUE(StoredTitles().empty());
}

TEST_F(EnableDisable, AFailedWriteKeepsTheEntryDisabledAndRecorded) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Back", "b.exe");
    OpenMainWindow();
    SetBox("Back", false);
    ASSERT_EQ(std::vector<std::string>{"Back"}, StoredTitles());
    kv::SetRegistryWritesBlockedForTests(true);
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Error", "Не могу создать Back сервис", IDOK);
        SetBox("Back", true);
        answerer.WaitAll();
    }
    kv::SetRegistryWritesBlockedForTests(false);
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("Back")));
    EXPECT_EQ(std::vector<std::string>{"Back"}, StoredTitles());
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Back"));
    EXPECT_EQ(Ansi("Сервис Back не был создан"), StatusText(0));
}

// disable.ini just below the largest size that is read whole: a disable
// that would take it past that size is refused with the reason, the entry
// stays where it is, and the store still takes the changes that fit.
TEST_F(EnableDisable, ADisableThatWouldGrowTheStoreTooLargeIsRefused) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Big", "big.exe " + std::string(2000, 'a'));
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Small", "s.exe");
    const std::string store = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    std::string text = "[padding]\r\n";
    const std::string line = "p=" + std::string(998, 'p') + "\r\n";
    while (text.size() + line.size() <= kv::kMaxStoredFileSize - 1000) {
        text += line;
    }
    kvtest::MakeFile(store, text);
    OpenMainWindow();

    SetBox("Big", false);
    EXPECT_TRUE(kv::RowChecked(RowWithTitle("Big")));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Big"));
    EXPECT_EQ(Ansi("Список временно отключенных программ (disable.ini) стал бы больше 64 МБ и не "
                   "читался бы: программа не отключена, список не изменен"),
              StatusText(0));
    EXPECT_TRUE(text == kvtest::ReadFileText(store)) << "the store was changed";

    SetBox("Small", false);
    EXPECT_EQ(Ansi("Сервис Small был отключен"), StatusText(0));
    EXPECT_EQ(std::vector<std::string>{"Small"}, StoredTitles());
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Small"));
    SetBox("Small", true);
    EXPECT_EQ(Ansi("Сервис Small был включен"), StatusText(0));
    EXPECT_TRUE(StoredTitles().empty());
    kvtest::RemovePath(store);
}

TEST_F(EnableDisable, DisableAllAndEnableAllOverManyRows) {
    for (int i = 0; i < 20; ++i) {
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Many " + std::to_string(i),
                 "m" + std::to_string(i) + ".exe");
    }
    OpenMainWindow();
    SendCommand(IDM_DISABLE_ALL); // "Отключить всё"
    kvtest::PumpMessages();
    EXPECT_TRUE(kvtest::ValueNames(HKEY_CURRENT_USER, kv::kRunKey).empty());
    EXPECT_EQ(20u, StoredTitles().size());
    for (int row = 0; row < kv::RowCount(); ++row) {
        EXPECT_TRUE(kv::RowUnchecked(row));
    }
    kv::ScanDriver();
    EXPECT_EQ(20, kv::RowCount());
    SendCommand(IDM_ENABLE_ALL); // "Включить всё"
    kvtest::PumpMessages();
    EXPECT_EQ(20u, kvtest::ValueNames(HKEY_CURRENT_USER, kv::kRunKey).size());
    EXPECT_TRUE(StoredTitles().empty());
    EXPECT_EQ("m7.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Many 7"));
}

TEST_F(EnableDisable, AfterEachToggleTheStoreIsWhatAWholeRewriteGives) {
    for (int i = 0; i < 8; ++i) {
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Toggle " + std::to_string(i),
                 "t" + std::to_string(i) + ".exe /x");
    }
    SetValue(HKEY_CURRENT_USER, std::string(kv::kRunKey) + "\\Vendor", "Expand",
             "%SystemRoot%\\notepad.exe", REG_EXPAND_SZ);
    // A section of someone else's and a record beyond "total" stay through
    // every rewrite.
    const std::string store = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    kvtest::MakeFile(store, "[common]\r\ntotal=0\r\n[object 12]\r\ntitle=old\r\n"
                            "[notes]\r\nkept=yes\r\n");
    OpenMainWindow();
    std::string before = kvtest::ReadFileText(store);
    // The store as the program holds it, as the file reads, and as the plain
    // rule makes it: the disabled rows top first, the file the whole rewrite
    // of the one before.
    const auto check = [&](const std::string& step, bool oneRewrite = true) {
        const std::vector<kv::StartupEntry> held = kv::ReadDisabledEntries();
        const std::string now = kvtest::ReadFileText(store);
        std::vector<kv::ProfileRecord> read;
        for (const kv::ProfileRecord& record : kv::RecordsOfText(now, false).records) {
            if (record.whole && !record.location.empty()) {
                read.push_back(record);
            }
        }
        ASSERT_EQ(read.size(), held.size()) << step;
        std::vector<kv::ProfileRecord> records;
        for (std::size_t i = 0; i < held.size(); ++i) {
            records.push_back(kv::RecordOfEntry(held[i]));
            EXPECT_EQ(read[i].title, held[i].title) << step;
            EXPECT_EQ(read[i].command, held[i].command) << step;
            EXPECT_EQ(read[i].location, held[i].location) << step;
            EXPECT_EQ(read[i].extra, records.back().extra) << step; // type, data, link
        }
        std::size_t next = 0;
        for (int row = 0; row < kv::RowCount(); ++row) {
            if (kv::RowUnchecked(row)) {
                ASSERT_LT(next, held.size()) << step;
                EXPECT_EQ(kv::RowText(row, kv::kColumnTitle), held[next].title) << step;
                EXPECT_EQ(kv::RowText(row, kv::kColumnCommand), held[next].command) << step;
                EXPECT_EQ(kv::RowText(row, kv::kColumnLocation), held[next].location) << step;
                ++next;
            }
        }
        EXPECT_EQ(held.size(), next) << step;
        if (oneRewrite) {
            EXPECT_EQ(kv::RecordFileText(before, records, false, true), now) << step;
        }
        before = now;
    };
    const auto toggle = [&](const std::string& title, bool checked) {
        SetBox(title, checked);
        check(title + (checked ? " enabled" : " disabled"));
    };
    for (const char* title : {"Toggle 3", "Toggle 0", "Expand", "Toggle 7", "Toggle 5"}) {
        toggle(title, false);
    }
    // Another order of the rows, and a refresh: the next rewrites follow it.
    ClickColumnHeader(1);
    toggle("Toggle 1", false);
    toggle("Toggle 0", true);
    kv::ScanDriver();
    toggle("Expand", true);
    toggle("Toggle 6", false);
    toggle("Toggle 7", true);
    toggle("Toggle 3", true);
    EXPECT_EQ("t3.exe /x", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Toggle 3"));
    // "Отключить всё" and "Включить всё" over rows some of which are
    // disabled already, in another order than the store's.
    ClickColumnHeader(0);
    SendCommand(IDM_DISABLE_ALL);
    check("every row disabled", false);
    EXPECT_EQ(9u, kv::ReadDisabledEntries().size());
    ClickColumnHeader(0);
    SetBox("Toggle 4", true);
    check("Toggle 4 enabled");
    SendCommand(IDM_ENABLE_ALL);
    check("every row enabled", false);
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
    EXPECT_EQ(8u, kvtest::ValueNames(HKEY_CURRENT_USER, kv::kRunKey).size());
    EXPECT_NE(std::string::npos, kvtest::ReadFileText(store).find("[notes]\r\nkept=yes"));
}

// "Отключить всё" and "Включить всё" leave the registry, the Startup folders,
// the records of disable.ini with its kept copies, and report.ini exactly as
// clearing, and then setting, every box in turn from the top leaves them;
// and one box set after "Отключить всё" leaves what clearing the others does.
// (Records beyond "total", which no reader takes for entries, may differ.)
TEST_F(EnableDisable, BulkChangesLeaveWhatRowByRowChangesLeave) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Plain", "C:\\windows\\notepad.exe /p");
    SetValue(HKEY_CURRENT_USER, std::string(kv::kRunKey) + "\\Vendor", "Expand",
             "%SystemRoot%\\regedit.exe", REG_EXPAND_SZ);
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunOnceKey, "Once", "once.exe -q");
    kvtest::MakeShellLink(kvtest::CurrentUserStartupFolder() + "\\Linked.lnk",
                          "C:\\windows\\notepad.exe", "/l");
    const auto state = [] {
        std::map<std::string, std::string> bytes = kvtest::StartupSetBytes();
        const std::string store = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
        const std::string snapshot = kv::UserDataFilePath(kv::UserDataFile::ChangeSnapshot);
        const kv::RecordFile records = kv::RecordsOfText(kvtest::ReadFileText(store), false);
        bytes[store] = kv::RecordFileText(std::string(), records.records, false, false);
        bytes[snapshot] = kvtest::ReadFileText(snapshot);
        WIN32_FIND_DATAA found;
        const std::string kept = kv::KeptFilesFolder();
        HANDLE search = FindFirstFileA((kept + "\\*.*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more;
             more = FindNextFileA(search, &found)) {
            const std::string path = kept + "\\" + found.cFileName;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                bytes[path] = kvtest::ReadFileText(path);
            }
        }
        if (search != INVALID_HANDLE_VALUE) {
            FindClose(search);
        }
        return bytes;
    };
    OpenMainWindow();
    const std::map<std::string, std::string> startupSet = kvtest::StartupSetBytes();
    SendCommand(IDM_DISABLE_ALL);
    const std::map<std::string, std::string> bulkDisabled = state();
    SendCommand(IDM_ENABLE_ALL);
    const std::map<std::string, std::string> bulkEnabled = state();
    EXPECT_EQ(startupSet, kvtest::StartupSetBytes());

    const std::vector<std::string> titles = Titles();
    ASSERT_EQ(4u, titles.size());
    for (const std::string& title : titles) {
        SetBox(title, false);
    }
    EXPECT_EQ(bulkDisabled, state());
    for (const std::string& title : titles) {
        SetBox(title, true);
    }
    EXPECT_EQ(bulkEnabled, state());

    // One box set after "Отключить всё" changes the store that it wrote as
    // one box set among boxes cleared row by row does.
    SendCommand(IDM_DISABLE_ALL);
    SetBox(titles[1], true);
    const std::map<std::string, std::string> mixed = state();
    SendCommand(IDM_ENABLE_ALL);
    for (const std::string& title : titles) {
        if (title != titles[1]) {
            SetBox(title, false);
        }
    }
    EXPECT_EQ(mixed, state());
}

TEST_F(EnableDisable, DeletingOneRow) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Active", "a.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Resting", "r.exe");
    OpenMainWindow();
    SetBox("Resting", false);
    ASSERT_EQ(std::vector<std::string>{"Resting"}, StoredTitles());

    // Answered No: nothing happens.
    SelectOnly({"Active"});
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Вы действительно хотите удалить Active ?", IDNO);
        kv::DeleteSelectedEntries();
    }
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Active"));

    // A disabled row: only its record goes, without a refresh.
    SelectOnly({"Resting"});
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Вы действительно хотите удалить Resting ?", IDYES);
        kv::DeleteSelectedEntries();
    }
    EXPECT_TRUE(StoredTitles().empty());
    EXPECT_EQ(-1, RowWithTitle("Resting"));
    EXPECT_EQ(1, kv::RowCount());

    // With "SingleDel" 0 nothing is asked; an active row leaves its location.
    SetSetting("Confirmation", "SingleDel", 0);
    SelectOnly({"Active"});
    kv::DeleteSelectedEntries();
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Active"));
    EXPECT_EQ(0, kv::RowCount());
    EXPECT_EQ(Ansi("Сервис Active был удален успешно"), StatusText(0));
}

TEST_F(EnableDisable, DeletingAMixedSelection) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Checked", "c.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "SelectedOff", "s.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "KeptOff", "k.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Untouched", "u.exe");
    OpenMainWindow();
    SetBox("SelectedOff", false);
    SetBox("KeptOff", false);
    SelectOnly({"Checked", "SelectedOff"});
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Вы действительно хотите удалить 2 программ(ы)?", IDYES);
        SendCommand(IDM_DELETE); // "Удалить", the Del key
    }
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Checked"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Untouched"));
    EXPECT_EQ(std::vector<std::string>{"KeptOff"}, StoredTitles());
    EXPECT_EQ(2, kv::RowCount());
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("KeptOff")));

    // With "MultiDel" 0 nothing is asked.
    SetSetting("Confirmation", "MultiDel", 0);
    SelectOnly({"KeptOff", "Untouched"});
    kv::DeleteSelectedEntries();
    EXPECT_EQ(0, kv::RowCount());
    EXPECT_TRUE(StoredTitles().empty());
}

} // namespace
