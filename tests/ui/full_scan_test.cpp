#include "base/test_seams.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/startup_folder.h"
#include "shell/list/entry_list.h"
#include "shell/list/scan_driver.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <process.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

using kvtest::Ansi;

namespace {

class FullRefresh : public kvtest::MainWindowTest {
  protected:
    // The row with this title and location; -1 when there is none.
    int FindRow(const std::string& title, const std::string& location) {
        for (int row = 0; row < kv::RowCount(); ++row) {
            if (kv::RowText(row, kv::kColumnTitle) == title &&
                kv::RowText(row, kv::kColumnLocation) == location) {
                return row;
            }
        }
        return -1;
    }
    static std::size_t Position(const std::vector<std::string>& texts, const std::string& text) {
        return static_cast<std::size_t>(std::find(texts.begin(), texts.end(), text) -
                                        texts.begin());
    }
};

TEST_F(FullRefresh, ListsRegistryFolderAndWinIniRowsTogether) {
    const std::string notepad = kv::WindowsDirectory() + "\\notepad.exe";
    const std::string userFolder = kvtest::CurrentUserStartupFolder();
    const std::string commonFolder = kvtest::AllUsersStartupFolder();
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Registry entry", notepad);
    kvtest::MakeShellLink(userFolder + "\\Editor.lnk", notepad, "/p");
    kvtest::MakeFile(commonFolder + "\\shared.txt", "x");
    kvtest::SetValue(HKEY_CURRENT_USER, kvtest::kWinIniWindowsKey, "run", "notepad.exe");
    kvtest::SetValue(HKEY_CURRENT_USER, kvtest::kWinIniWindowsKey, "load", "regedit.exe");

    OpenMainWindow();
    kvtest::StatusBarRecorder recorder;
    recorder.Start();
    kv::ScanDriver();
    recorder.Stop();

    ASSERT_EQ(5, kv::RowCount());
    const int registry = FindRow("Registry entry", kv::RegistryLocationString("HKCU", kv::kRunKey));
    const int link = FindRow("Editor.lnk", userFolder);
    const int shared = FindRow("shared.txt", commonFolder);
    const int run = FindRow("notepad.exe", "section: [windows]; parameter: run");
    const int load = FindRow("regedit.exe", "section: [windows]; parameter: load");
    for (int row : {registry, link, shared, run, load}) {
        ASSERT_NE(-1, row);
        EXPECT_TRUE(kv::RowChecked(row));
        EXPECT_EQ(Ansi("Остановлено"), kv::RowText(row, kv::kColumnStatus));
    }
    EXPECT_EQ(notepad + " /p", kv::RowText(link, kv::kColumnCommand));
    EXPECT_EQ(commonFolder + "\\shared.txt", kv::RowText(shared, kv::kColumnCommand));
    EXPECT_EQ("notepad.exe", kv::RowText(run, kv::kColumnCommand));

    // Progress texts in reading order: registry, folders, win.ini.
    const std::vector<std::string>& texts = recorder.texts();
    const std::size_t registryText = Position(texts, Ansi("Сканирую реестр, ждите ..."));
    const std::size_t foldersText =
        Position(texts, Ansi("Сканирую автозагрузочные папки, ждите ..."));
    const std::size_t winIniText = Position(texts, Ansi("Сканирую файл win.ini, ждите ..."));
    ASSERT_LT(winIniText, texts.size());
    EXPECT_LT(registryText, foldersText);
    EXPECT_LT(foldersText, winIniText);
}

// The Startup folders are read on threads of their own beside the registry:
// the rows must be those that reading each folder in turn gives, each link
// with its own target, none lost or mixed up between the folders.
TEST_F(FullRefresh, FoldersReadBesideTheRegistryGiveWhatReadingThemInTurnGives) {
    const std::string notepad = kv::WindowsDirectory() + "\\notepad.exe";
    for (int i = 0; i < 40; ++i) {
        const std::string name = "Tool " + std::to_string(i) + ".lnk";
        kvtest::MakeShellLink(kvtest::CurrentUserStartupFolder() + "\\" + name, notepad,
                              "/user " + std::to_string(i));
        kvtest::MakeShellLink(kvtest::AllUsersStartupFolder() + "\\" + name, notepad,
                              "/all " + std::to_string(i));
        kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Value " + std::to_string(i), notepad);
    }
    using Texts = std::tuple<std::string, std::string, std::string>;
    std::vector<Texts> inTurn;
    for (int folder : {kv::kCurrentUserStartup, kv::kAllUsersStartup}) {
        for (const kv::StartupEntry& row : kv::ScanStartupFolder(folder)) {
            inTurn.emplace_back(row.title, row.command, row.location);
        }
    }
    ASSERT_EQ(80u, inTurn.size());
    std::vector<Texts> read;
    for (const kv::StartupEntry& row : kv::ReadStartupSet()) {
        if (row.location != kv::RegistryLocationString("HKCU", kv::kRunKey)) {
            read.emplace_back(row.title, row.command, row.location);
        }
    }
    std::sort(inTurn.begin(), inTurn.end());
    std::sort(read.begin(), read.end());
    EXPECT_EQ(inTurn, read);
}

// Lets stalled folder readers go once the refresh is over, or after a time
// far beyond the refresh's wait, noting that the refresh had not ended.
struct FolderStall {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE refreshed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    LONG releasedFirst = 0;
};

unsigned __stdcall ReleaseWhenRefreshedOrLate(void* param) {
    FolderStall& stall = *static_cast<FolderStall*>(param);
    if (WaitForSingleObject(stall.refreshed, 30000) != WAIT_OBJECT_0) {
        InterlockedExchange(&stall.releasedFirst, 1);
    }
    SetEvent(stall.release);
    return 0;
}

// Readers of the Startup folders that do not finish (as behind a shortcut
// whose network path does not answer) do not hold the refresh: it goes on
// after its bounded wait and still lists every file of both folders with the
// commands a finished reading gives, the link to an unreachable share among
// them, which reading leaves as it was.
TEST_F(FullRefresh, StalledFolderReadersDoNotHoldTheRefresh) {
    const std::string notepad = kv::WindowsDirectory() + "\\notepad.exe";
    const std::string share = kvtest::CurrentUserStartupFolder() + "\\Share.lnk";
    kvtest::MakeShellLink(share, "\\\\unreachable.invalid\\share\\app.exe", "-q");
    kvtest::MakeShellLink(kvtest::AllUsersStartupFolder() + "\\Editor.lnk", notepad, "/p");
    kvtest::MakeFile(kvtest::AllUsersStartupFolder() + "\\notes.txt", "x");
    const std::string linkBytes = kvtest::ReadFileText(share);
    OpenMainWindow();
    using Texts = std::tuple<std::string, std::string, std::string>;
    const auto listed = [] {
        std::vector<Texts> rows;
        for (int row = 0; row < kv::RowCount(); ++row) {
            rows.emplace_back(kv::RowText(row, kv::kColumnTitle),
                              kv::RowText(row, kv::kColumnCommand),
                              kv::RowText(row, kv::kColumnLocation));
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    const std::vector<Texts> finished = listed();
    ASSERT_EQ(3u, finished.size());
    EXPECT_NE(-1, FindRow("Share.lnk", kvtest::CurrentUserStartupFolder()));
    EXPECT_EQ("\\\\unreachable.invalid\\share\\app.exe -q",
              kv::RowText(FindRow("Share.lnk", kvtest::CurrentUserStartupFolder()),
                          kv::kColumnCommand));

    // The stall ends by itself only long after the refresh's wait.
    FolderStall stall;
    HANDLE thread = reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &ReleaseWhenRefreshedOrLate, &stall, 0, nullptr));
    ASSERT_NE(nullptr, thread);
    kv::SetFolderReadStallForTests(stall.release, 200);
    kv::ScanDriver();
    SetEvent(stall.refreshed);
    kv::SetFolderReadStallForTests(nullptr, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(0, stall.releasedFirst) << "the refresh waited for the stalled readers";
    EXPECT_EQ(finished, listed());
    EXPECT_EQ(linkBytes, kvtest::ReadFileText(share));
    CloseHandle(stall.release);
    CloseHandle(stall.refreshed);
}

} // namespace
