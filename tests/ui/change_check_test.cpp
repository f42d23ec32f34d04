// The change checks of the real main window: at start-up against report.ini,
// on demand, and from the monitoring timer while the window is out of sight.
#include "base/test_seams.h"
#include "entries/catalogue.h"
#include "entries/location_dispatch.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "records/settings_store.h"
#include "records/user_data_folder.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/actions/change_check.h"
#include "shell/frame/monitoring_timer.h"
#include "shell/list/scan_driver.h"
#include "resource.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

using kvtest::Ansi;
using kvtest::SetValue;

namespace {

const std::string kHkcuRun = "HKCU\\" + std::string(kv::kRunKey);
const std::string kVendor = std::string(kv::kRunKey) + "\\Vendor";

// The question about one program, as the check words it.
std::string Question(const char* head, const std::string& title, const std::string& command,
                     const std::string& location, const char* ask) {
    return std::string(head) + "\n\nЗаголовок: " + title + "\nКоманда: " + command +
           "\nРасположение: " + location + "\n\n" + ask;
}
std::string NewProgram(const std::string& title, const std::string& command,
                       const std::string& location) {
    return Question("Следующая программа была добавлена в автозагрузку:", title, command, location,
                    "Вы хотите удалить её?");
}
std::string VanishedProgram(const std::string& title, const std::string& command,
                            const std::string& location) {
    return Question("Следующая программа была удалена из автозагрузки другим процессом:", title,
                    command, location, "Вы хотите восстановить её?");
}
const char* const kNewCaption = "Kelvorin: новая программа";
const char* const kOldCaption = "Kelvorin: старая программа";

std::vector<std::string> SortedTitles(const std::vector<kv::StartupEntry>& entries) {
    std::vector<std::string> titles;
    for (const kv::StartupEntry& entry : entries) {
        titles.push_back(entry.title);
    }
    std::sort(titles.begin(), titles.end());
    return titles;
}

class ChangeCheck : public kvtest::MainWindowTest {
  protected:
    void TearDown() override {
        kv::SetMonitoringPeriodForTests(0);
        kvtest::MainWindowTest::TearDown();
    }
    std::string Snapshot() {
        return kvtest::ReadFileText(kv::UserDataFilePath(kv::UserDataFile::ChangeSnapshot));
    }
    void Monitoring(int newMon, int oldMon) {
        WriteSetting("Monitoring", "NewMon", newMon);
        WriteSetting("Monitoring", "OldMon", oldMon);
        kv::LoadMonitoringSettings(kv::g_app.settings);
    }
};

TEST_F(ChangeCheck, AtStartUpAgainstTheSnapshotOfTheLastRun) {
    // A command that begins with a quote is stored with one more pair of
    // quotes and is matched unchanged at the next start.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Quoted", "\"C:\\Program Files\\q.exe\" /s");
    {
        kvtest::MessageBoxAnswerer answerer; // a first run asks nothing
        OpenMainWindow();
    }
    EXPECT_EQ(Ansi("Файл report.ini не существует"), StatusText(0));
    CloseMainWindow(); // the snapshot is written at exit
    EXPECT_NE(std::string::npos,
              Snapshot().find("command=\"\"C:\\Program Files\\q.exe\" /s\"\r\n"));

    // A program adds itself while Kelvorin is not running.
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunKey, "Intruder", "intruder.exe -q");
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect(
            kNewCaption,
            NewProgram("Intruder", "intruder.exe -q", "HKLM\\" + std::string(kv::kRunKey)), IDYES);
        OpenMainWindow();
        answerer.WaitAll();
        EXPECT_EQ(nullptr, answerer.Seen().at(0).owner); // the window is not there yet
    }
    EXPECT_FALSE(kvtest::ValueExists(HKEY_LOCAL_MACHINE, kv::kRunKey, "Intruder"));
    EXPECT_EQ(-1, RowWithTitle("Intruder"));
    EXPECT_EQ(Ansi("Сервис Intruder был удален успешно"), StatusText(0));

    // A damaged snapshot: records that name nothing are never offered.
    CloseMainWindow();
    const std::string path = kv::UserDataFilePath(kv::UserDataFile::ChangeSnapshot);
    kvtest::MakeFile(path, Snapshot() + "[object 2]\r\ntitle=\r\n");
    WritePrivateProfileStringA("common", "total", "5", path.c_str());
    {
        kvtest::MessageBoxAnswerer answerer;
        OpenMainWindow();
    }
    EXPECT_GE(RowWithTitle("Quoted"), 0);
}

TEST_F(ChangeCheck, OnDemandAsksProgramByProgramAndPutsBackWhatVanished) {
    SetValue(HKEY_CURRENT_USER, kVendor, "Expand", "%SystemRoot%\\notepad.exe", REG_EXPAND_SZ);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Latin", "latin.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Cyrillic", Ansi("я.exe"));
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Resting", "resting.exe");
    OpenMainWindow();
    const std::map<std::string, std::string> before = kvtest::StartupSetBytes();
    // Nothing changed: two boxes, in this order.
    CheckFindingNothing();
    // Another process removes a value; another changes only the case of
    // a-z; the user disables an entry. Only the removal is a change.
    kvtest::DeleteValue(HKEY_CURRENT_USER, kVendor, "Expand");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Latin", "LATIN.EXE");
    SetBox("Resting", false);
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect(
            kOldCaption,
            VanishedProgram("Expand", "%SystemRoot%\\notepad.exe", kHkcuRun + "\\Vendor"), IDYES);
        answerer.Expect("Kelvorin",
                        "С момента последней проверки автозагрузки новых программ "
                        "добавлено не было.",
                        IDOK);
        SendCommand(IDM_CHECK_CHANGES);
        answerer.WaitAll();
        EXPECT_EQ(window(), answerer.Seen().at(0).owner);
    }
    // Put back as it was: the same type and bytes.
    EXPECT_EQ(before.at(kHkcuRun + "\\Vendor|Expand"),
              kvtest::StartupSetBytes().at(kHkcuRun + "\\Vendor|Expand"));
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("Resting")));

    // The case of a Cyrillic letter is a change: of the command, one question.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Cyrillic", Ansi("Я.exe"));
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin: изменённая команда",
                        "Команда программы Cyrillic изменилась\n\nПрежняя команда: я.exe\n"
                        "Новая команда: Я.exe\nРасположение: " +
                            kHkcuRun + "\n\nВернуть прежнюю команду?",
                        IDNO);
        answerer.Expect("Kelvorin",
                        "Ни один сторонний процесс не удалял программы из автозагрузки.", IDOK);
        SendCommand(IDM_CHECK_CHANGES);
        answerer.WaitAll();
    }
    EXPECT_EQ(Ansi("Я.exe"), kvtest::ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Cyrillic"));
}

// A check whose every answer is No refreshes once, and its list is the one a
// refresh shows: the same rows with the same boxes, icons and statuses.
TEST_F(ChangeCheck, ACheckThatScansOnceShowsWhatARefreshShows) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Stays", "C:\\windows\\notepad.exe /s");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Resting", "resting.exe");
    SetValue(HKEY_CURRENT_USER, kVendor, "Goes", "%SystemRoot%\\regedit.exe", REG_EXPAND_SZ);
    OpenMainWindow();
    SetBox("Resting", false);
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunKey, "Added", "added.exe");
    kvtest::DeleteValue(HKEY_CURRENT_USER, kVendor, "Goes");
    kvtest::StatusBarRecorder recorder;
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect(kNewCaption,
                        NewProgram("Added", "added.exe", "HKLM\\" + std::string(kv::kRunKey)),
                        IDNO);
        answerer.Expect(kOldCaption,
                        VanishedProgram("Goes", "%SystemRoot%\\regedit.exe", kHkcuRun + "\\Vendor"),
                        IDNO);
        recorder.Start();
        SendCommand(IDM_CHECK_CHANGES);
        answerer.WaitAll();
        recorder.Stop();
    }
    EXPECT_EQ(1, std::count(recorder.texts().begin(), recorder.texts().end(),
                            Ansi("Сканирую реестр, ждите ...")));
    const std::vector<kv::StartupEntry> checked = kv::ReadAllRows();
    kv::ScanDriver();
    const std::vector<kv::StartupEntry> refreshed = kv::ReadAllRows();
    ASSERT_EQ(refreshed.size(), checked.size());
    EXPECT_EQ(3u, checked.size());
    for (std::size_t i = 0; i < checked.size(); ++i) {
        EXPECT_TRUE(kv::SameTexts(refreshed[i], checked[i])) << checked[i].title;
        EXPECT_EQ(refreshed[i].checked, checked[i].checked) << checked[i].title;
        EXPECT_EQ(refreshed[i].icon, checked[i].icon) << checked[i].title;
        EXPECT_EQ(refreshed[i].running, checked[i].running) << checked[i].title;
    }
}

TEST_F(ChangeCheck, TimedOnlyWhileOutOfSightAndOneCheckAtATime) {
    kv::SetMonitoringPeriodForTests(50);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Old", "old.exe");
    OpenMainWindow();
    // The timed check alone, as for what sends no notice.
    kv::StopLocationWatch();
    ShowWindow(window(), SW_SHOWNORMAL);
    Monitoring(1, 0);
    // While the window is in sight the ticks do nothing.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "New", "new.exe");
    kvtest::DeleteValue(HKEY_CURRENT_USER, kv::kRunKey, "Old");
    {
        kvtest::MessageBoxAnswerer answerer;
        kvtest::PumpMessages(400);
    }
    EXPECT_EQ(-1, RowWithTitle("New"));

    // Minimised: the new program is asked about, in front and without an
    // owner; the vanished one is taken in silently ("OldMon" 0). A check
    // asked for meanwhile (the tray menu's) does not start.
    ShowWindow(window(), SW_MINIMIZE);
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.ExpectAndDo(kNewCaption, NewProgram("New", "new.exe", kHkcuRun), IDNO, [this] {
            PostMessageA(window(), WM_COMMAND, MAKEWPARAM(IDM_CHECK_CHANGES, 0), 0);
            Sleep(300);
        });
        kvtest::PumpMessages(400);
        answerer.WaitAll();
        kvtest::PumpMessages(300);
        EXPECT_EQ(nullptr, answerer.Seen().at(0).owner);
    }
    ASSERT_GE(RowWithTitle("New"), 0);
    EXPECT_EQ(-1, RowWithTitle("Old"));

    // With both kinds of report off, and no entry to keep off, a tick does
    // nothing at all, not even a refresh.
    Monitoring(0, 0);
    WriteSetting("Monitoring", "KeepOff", 0);
    kv::LoadMonitoringSettings(kv::g_app.settings);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Quiet", "quiet.exe");
    {
        kvtest::MessageBoxAnswerer answerer;
        kvtest::PumpMessages(400);
    }
    EXPECT_EQ(-1, RowWithTitle("Quiet"));
    ShowWindow(window(), SW_HIDE);
}

TEST_F(ChangeCheck, AnInterruptedSnapshotWriteLeavesTheOldOneWhole) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "One", "one.exe");
    OpenMainWindow();
    const std::string before = Snapshot();
    ASSERT_NE(std::string::npos, before.find("title=One"));
    const std::string path = kv::UserDataFilePath(kv::UserDataFile::ChangeSnapshot);
    // The old file cannot be replaced while it is open elsewhere.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Two", "two.exe");
    SendCommand(IDM_REFRESH);
    CloseHandle(held);
    EXPECT_EQ(before, Snapshot());
}

TEST_F(ChangeCheck, ADamagedSnapshotIsTakenForNone) {
    for (const char* title : {"One", "Two", "Three"}) {
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, title, std::string(title) + ".exe");
    }
    const std::string one = "title=One\r\ncommand=One.exe\r\nlocation=" + kHkcuRun + "\r\n";
    struct Damage {
        const char* what;
        std::string text;
        bool locked;
    };
    const Damage damages[] = {
        {"cut short", "[common]\r\ntotal=40\r\n[object 1]\r\n" + one, false},
        {"beyond its total", "[common]\r\ntotal=1\r\n[object 1]\r\n" + one + "[object 2]\r\n" + one,
         false},
        {"emptied", "", false},
        {"unreadable", "[common]\r\ntotal=1\r\n[object 1]\r\n" + one, true},
    };
    const std::string path = kv::UserDataFilePath(kv::UserDataFile::ChangeSnapshot);
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        kvtest::MakeFile(path, damage.text);
        const HANDLE lock = damage.locked ? CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr,
                                                        OPEN_EXISTING, 0, nullptr)
                                          : INVALID_HANDLE_VALUE;
        {
            kvtest::MessageBoxAnswerer answerer; // Two and Three are no new programs
            OpenMainWindow();
        }
        EXPECT_EQ(Ansi("Файл report.ini не существует"), StatusText(0));
        if (lock != INVALID_HANDLE_VALUE) {
            CloseHandle(lock);
        } else {
            EXPECT_NE(std::string::npos, Snapshot().find("[common]\r\ntotal=3\r\n"));
        }
        CloseMainWindow();
    }
}

// What an end of the program leaves between the steps of a disable or an
// enable, set up on disk: the next start asks nothing, shows each entry once
// and leaves the store matching the list.
TEST_F(ChangeCheck, AfterAnEndMidwayNothingIsBlamedAndEachEntryShowsOnce) {
    // Steady: enabled (before a disable, or after an enable).
    // Both, both.bat: in their locations, the store and the snapshot (a
    //   disable ended after the store write, an enable after the location write).
    // Gone: in the store and the snapshot (a disable ended after the removal,
    //   an enable after the snapshot write).
    // Parked: disabled.
    for (const char* title : {"Steady", "Both", "Gone", "Parked"}) {
        SetValue(HKEY_CURRENT_USER, kv::kRunKey, title, std::string(title) + ".exe");
    }
    kvtest::MakeFile(kvtest::CurrentUserStartupFolder() + "\\both.bat", "@echo both\r\n");
    std::map<std::string, kv::StartupEntry> active;
    for (const kv::StartupEntry& entry : kv::ReadStartupSet()) {
        active[entry.title] = entry;
    }
    std::vector<kv::StartupEntry> stored;
    for (const char* title : {"Both", "both.bat", "Gone", "Parked"}) {
        kv::StartupEntry entry = active.at(title);
        kv::LocationOutcome refusal;
        ASSERT_TRUE(kv::KeepEntryForm(entry, kv::NewKeptFilePath, refusal));
        stored.push_back(entry);
    }
    ASSERT_TRUE(kv::WriteDisabledStore(stored));
    ASSERT_TRUE(kv::WriteChangeSnapshot(
        {active["Steady"], active["Both"], active["both.bat"], active["Gone"]}));
    kvtest::DeleteValue(HKEY_CURRENT_USER, kv::kRunKey, "Gone");
    kvtest::DeleteValue(HKEY_CURRENT_USER, kv::kRunKey, "Parked");
    const std::vector<std::string> all = {"Both", "Gone", "Parked", "Steady", "both.bat"};

    // The report for scripts shows each once and writes nothing.
    const std::string storePath = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    const std::string storeBefore = kvtest::ReadFileText(storePath);
    EXPECT_EQ(all, SortedTitles(kv::ReadStartupSet()));
    EXPECT_EQ(storeBefore, kvtest::ReadFileText(storePath));

    {
        kvtest::MessageBoxAnswerer answerer;
        OpenMainWindow();
    }
    EXPECT_EQ(all, SortedTitles(kv::ReadAllRows()));
    EXPECT_EQ((std::vector<std::string>{"Gone", "Parked"}),
              SortedTitles(kv::RowsOfKind(kv::RowKind::Disabled)));
    EXPECT_EQ(SortedTitles(kv::RowsOfKind(kv::RowKind::Disabled)),
              SortedTitles(kv::ReadDisabledEntries()));
    EXPECT_FALSE(kvtest::FileExists(stored[1].kept.file)); // the copy went with its record

    // At a later refresh too.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Parked", "Parked.exe");
    SendCommand(IDM_REFRESH);
    EXPECT_EQ(all, SortedTitles(kv::ReadAllRows()));
    EXPECT_EQ(std::vector<std::string>{"Gone"}, SortedTitles(kv::ReadDisabledEntries()));

    // The program's own moves reach the snapshot as they are made.
    SetBox("Steady", false);
    EXPECT_EQ(std::string::npos, Snapshot().find("title=Steady\r\n"));
    SetBox("Gone", true);
    EXPECT_NE(std::string::npos, Snapshot().find("title=Gone\r\ncommand=Gone.exe\r\n"));
}

TEST(ChangeComparison, CaseOfLatinLettersOnlyAndWholeSets) {
    EXPECT_EQ(0, kv::CompareTextNoCase("C:\\Tools\\A.exe", "c:\\tools\\a.EXE"));
    EXPECT_EQ(10, kv::CompareTextNoCase("a", "ab"));
    EXPECT_EQ(-1, kv::CompareTextNoCase("abc", "abd"));
    EXPECT_EQ(1, kv::CompareTextNoCase("\xE0", "a")); // bytes compare unsigned
    EXPECT_NE(0, kv::CompareTextNoCase(Ansi("я"), Ansi("Я")));

    const auto entry = [](const std::string& title, const std::string& command) {
        kv::StartupEntry e;
        e.title = title;
        e.command = command;
        e.location = "HKCU\\Run";
        return e;
    };
    // Two equal rows are matched by one record; a changed argument is both new
    // and vanished.
    const std::vector<kv::StartupEntry> previous = {entry("a", "a.exe"), entry("b", "b.exe")};
    const std::vector<kv::StartupEntry> current = {entry("A", "A.EXE"), entry("a", "a.exe"),
                                                   entry("b", "b.exe -x")};
    const kv::EntryChanges changes = kv::CompareEntrySets(previous, current);
    EXPECT_EQ(std::vector<std::size_t>{2}, changes.added);
    EXPECT_EQ(std::vector<std::size_t>{1}, changes.vanished);
    // What went into the disabled store did not vanish.
    EXPECT_TRUE(kv::CompareEntrySets(previous, current, {entry("B", "B.EXE")}).vanished.empty());
}

} // namespace
