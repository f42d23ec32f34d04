// Saving the whole list to a file of the user's choosing and making the
// startup set equal to such a file again, through the real file dialogs.
#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/startup_folder.h"
#include "records/disabled_store.h"
#include "records/list_file.h"
#include "records/profile_records.h"
#include "records/user_data_folder.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/actions/list_files.h"
#include "resource.h"

#include "support/file_dialog.h"
#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

using kvtest::SetValue;

namespace {

const std::string kVendor = std::string(kv::kRunKey) + "\\Vendor";

class ListFiles : public kvtest::MainWindowTest {
  protected:
    std::string Value(const std::string& section, const std::string& key) {
        char buffer[512] = {};
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "<missing>", buffer, sizeof(buffer),
                                 file.c_str());
        return buffer;
    }
    std::vector<std::string> StoredTitles() {
        std::vector<std::string> titles;
        for (const kv::StartupEntry& entry : kv::ReadDisabledEntries()) {
            titles.push_back(entry.title);
        }
        return titles;
    }
    kvtest::TempFolder lists{"lists"};
    std::string file = lists / "startup.ini";
};

TEST_F(ListFiles, SavedThenRestoredGivesBackTheSetAndCanBeUndone) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Alpha", "alpha.exe -a");
    SetValue(HKEY_CURRENT_USER, kVendor, "Expand", "%SystemRoot%\\notepad.exe", REG_EXPAND_SZ);
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunKey, "Beta", "\"C:\\Program Files\\b.exe\"");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Resting", "resting.exe");
    // An older, longer file: what lies beyond the new "total" stays.
    kvtest::MakeFile(file, "[common]\r\ntotal=8\r\n[object 8]\r\ntitle=old eighth\r\n");
    OpenMainWindow();
    SetBox("Resting", false);

    {
        // Before the first save the dialog comes; the file is replaced after
        // the dialog's own question.
        kvtest::FileDialogAnswerer dialog("Сохранить список", file);
        SendCommand(IDM_SAVE_LIST);
        dialog.WaitAnswered();
    }
    EXPECT_EQ(file, kv::g_app.LastListPath);
    ASSERT_EQ("4", Value("common", "total"));
    for (int row = 0; row < 4; ++row) {
        const std::string section = "object " + std::to_string(row + 1);
        EXPECT_EQ(kv::RowText(row, kv::kColumnTitle), Value(section, "title")) << row;
        EXPECT_EQ(kv::RowText(row, kv::kColumnCommand), Value(section, "command")) << row;
        EXPECT_EQ(kv::RowChecked(row) ? "1" : "0", Value(section, "state")) << row;
    }
    EXPECT_EQ("old eighth", Value("object 8", "title"));

    // A second save goes to the same file without a dialog.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Gamma", "gamma.exe");
    SendCommand(IDM_REFRESH);
    {
        kvtest::MessageBoxAnswerer noBox;
        SendCommand(IDM_SAVE_LIST);
    }
    EXPECT_EQ("5", Value("common", "total"));
    kvtest::DeleteValue(HKEY_CURRENT_USER, kv::kRunKey, "Gamma");
    SendCommand(IDM_REFRESH);
    {
        kvtest::FileDialogAnswerer dialog("Сохранить список как ...", file);
        SendCommand(IDM_SAVE_LIST_AS);
        dialog.WaitAnswered();
    }
    const std::map<std::string, std::string> saved = kvtest::StartupSetBytes();

    // Changes after the save: a program added, another one removed.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Added", "added.exe");
    kvtest::DeleteValue(HKEY_CURRENT_USER, kVendor, "Expand");
    SendCommand(IDM_REFRESH);
    RestoreListFrom(file);
    // The saved set, byte for byte; the disabled entry is disabled again and
    // the program added since is gone, not kept.
    EXPECT_EQ(saved, kvtest::StartupSetBytes());
    EXPECT_EQ(std::vector<std::string>{"Resting"}, StoredTitles());
    EXPECT_EQ(-1, RowWithTitle("Added"));
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("Resting")));
    EXPECT_TRUE(kvtest::FolderIsEmpty(kv::KeptFilesFolder()));

    // The replaced set was kept, and the status bar names where.
    const std::string undo = kv::UserDataFolderPath() + "\\before restore.ini";
    EXPECT_EQ(kvtest::Ansi("Список восстановлен. Прежний список сохранен в файле ") + undo,
              StatusText(0));
    const kv::ListFile before = kv::ReadListFile(undo);
    ASSERT_TRUE(before.valid);
    bool addedWasOn = false;
    for (const kv::StartupEntry& entry : before.entries) {
        addedWasOn = addedWasOn || (entry.title == "Added" && entry.checked);
    }
    EXPECT_TRUE(addedWasOn);
}

TEST_F(ListFiles, WhatIsNoListIsRefusedBeforeAnythingChanges) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Keep", "keep.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Off", "off.exe");
    OpenMainWindow();
    SetBox("Off", false);
    WriteSetting("Confirmation", "Restore", 0);
    kv::LoadConfirmationSettings(kv::g_app.settings);
    const std::map<std::string, std::string> before = kvtest::StartupSetBytes();
    const std::string store =
        kvtest::ReadFileText(kv::UserDataFilePath(kv::UserDataFile::DisabledStore));

    // No "total", a "total" that is no number, fewer records than it claims;
    // then a whole list in a file too large to be one.
    const std::string list =
        "[common]\r\ntotal=1\r\n[object 1]\r\ntitle=a\r\ncommand=a.exe\r\nlocation=HKCU\r\n";
    const std::pair<std::string, const char*> cases[] = {
        {"[other]\r\nx=1\r\n", "не является сохраненным списком"},
        {"[common]\r\ntotal=many\r\n", "не является сохраненным списком"},
        {"[common]\r\ntotal=3\r\n" + list.substr(list.find("[object")),
         "не является сохраненным списком"},
        {list, "Файл больше 64 МБ"},
    };
    for (const auto& test : cases) {
        kvtest::MakeFile(file, test.first);
        if (test.first == list) {
            kvtest::GrowFile(file, kv::kMaxStoredFileSize + 1);
        }
        kvtest::MessageBoxAnswerer answerer; // "Restore" 0: no question first
        answerer.Expect("Kelvorin", "", IDOK);
        kvtest::FileDialogAnswerer dialog("Восстановление списка ...", file);
        SendCommand(IDM_RESTORE_LIST);
        dialog.WaitAnswered();
        answerer.WaitAll();
        const std::string text = answerer.Seen().at(0).text;
        EXPECT_NE(std::string::npos, text.find(kvtest::Ansi(test.second))) << test.second;
        EXPECT_EQ(file, text.substr(text.size() - std::min(text.size(), file.size())));
    }
    EXPECT_EQ(before, kvtest::StartupSetBytes());
    EXPECT_EQ(store, kvtest::ReadFileText(kv::UserDataFilePath(kv::UserDataFile::DisabledStore)));

    // A list file that cannot be written is reported, and is not the target
    // of the next save: here the old file cannot be replaced while it is open.
    const std::string locked = lists / "locked.ini";
    kvtest::MakeFile(locked, "old");
    HANDLE held = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Сохранить список как ...", "", IDYES); // replace the file?
        answerer.Expect("Kelvorin",
                        "Не могу записать список автозагрузки в файл " + kvtest::Utf8(locked),
                        IDOK);
        kvtest::FileDialogAnswerer dialog("Сохранить список как ...", locked, false);
        SendCommand(IDM_SAVE_LIST_AS);
        dialog.WaitAnswered();
        answerer.WaitAll();
    }
    CloseHandle(held);
    EXPECT_EQ("old", kvtest::ReadFileText(locked));
    EXPECT_EQ("", kv::g_app.LastListPath);
}

} // namespace

namespace {

// A restore can be undone whole: the undo list keeps copies of the
// Startup-folder files beside it, so the very files come back, disabled ones
// too; what a restore could not take out is named.
TEST_F(ListFiles, ARestoreIsUndoneByteForByte) {
    const std::string folder = kvtest::CurrentUserStartupFolder();
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Keep", "keep.exe");
    kvtest::MakeFile(folder + "\\tool.exe", "MZ the tool itself");
    kvtest::LinkProperties rich;
    rich.target = "C:\\windows\\notepad.exe";
    rich.arguments = "a.txt";
    rich.workingFolder = "C:\\windows\\temp";
    rich.description = "Notes";
    kvtest::MakeShellLink(folder + "\\Rich.lnk", rich);
    kvtest::MakeShellLink(folder + "\\Off.lnk", "C:\\windows\\regedit.exe", "/s x.reg");
    kvtest::MakeFolder(folder + "\\Sub"); // cannot be taken out and put back whole
    OpenMainWindow();
    SetBox("Off.lnk", false);
    WriteSetting("Confirmation", "Restore", 0);
    kv::LoadConfirmationSettings(kv::g_app.settings);
    const std::map<std::string, std::string> original = kvtest::StartupSetBytes();
    const std::string offBytes = kvtest::ReadFileText(kv::ReadDisabledEntries().at(0).kept.file);

    const auto restore = [&](const std::string& list) {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin",
                        "Не все программы удалось убрать из автозагрузки при восстановлении "
                        "списка, остались на своих местах: 1",
                        IDOK);
        kvtest::FileDialogAnswerer dialog("Восстановление списка ...", list);
        SendCommand(IDM_RESTORE_LIST);
        dialog.WaitAnswered();
        answerer.WaitAll();
    };
    kvtest::MakeFile(file, "[common]\r\ntotal=1\r\n[object 1]\r\ntitle=Keep\r\ncommand=keep.exe\r\n"
                           "location=HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\r\n"
                           "state=1\r\n");
    restore(file);
    EXPECT_FALSE(kvtest::FileExists(folder + "\\tool.exe"));
    EXPECT_FALSE(kvtest::FileExists(folder + "\\Rich.lnk"));
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
    EXPECT_GE(RowWithTitle("Sub"), 0);

    restore(kv::UserDataFolderPath() + "\\before restore.ini");
    EXPECT_EQ(original, kvtest::StartupSetBytes());
    EXPECT_EQ(std::vector<std::string>{"Off.lnk"}, StoredTitles());
    EXPECT_EQ(offBytes, kvtest::ReadFileText(kv::ReadDisabledEntries().at(0).kept.file));
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("Off.lnk")));
    EXPECT_EQ(-1, RowWithTitle("Sub.lnk"));
}

// A Startup-folder file named outside the code page is copied beside the
// undo list by its exact name and comes back from it; a new undo list that
// cannot be written leaves the last one whole, its copies included.
TEST_F(ListFiles, TheUndoListKeepsExactNamesAndSurvivesAFailedWrite) {
    const std::wstring name = L"Инструмент \u65e5.exe";
    const std::wstring path =
        kv::Wide(kv::GetStartupFolderPath(kv::kCurrentUserStartup)) + L"\\" + name;
    const auto fileNow = [&] {
        HANDLE opened = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (opened == INVALID_HANDLE_VALUE) {
            return std::string("<none>");
        }
        char buffer[64] = {};
        DWORD got = 0;
        ReadFile(opened, buffer, sizeof(buffer), &got, nullptr);
        CloseHandle(opened);
        return std::string(buffer, got);
    };
    HANDLE made = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, made);
    DWORD written = 0;
    WriteFile(made, "MZ wide", 7, &written, nullptr);
    CloseHandle(made);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Keep", "keep.exe");
    kvtest::MakeFile(file, "[common]\r\ntotal=1\r\n[object 1]\r\ntitle=Keep\r\ncommand=keep.exe\r\n"
                           "location=HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\r\n"
                           "state=1\r\n");
    const std::string undo = kv::UserDataFolderPath() + "\\before restore.ini";
    OpenMainWindow();
    ASSERT_TRUE(kv::RestoreListFile(file));
    EXPECT_EQ("<none>", fileNow());
    const std::map<std::string, std::string> restored = kvtest::StartupSetBytes();

    // The last undo list is held open: the new one cannot take its place.
    HANDLE held = CreateFileA(undo.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "", IDOK);
        EXPECT_FALSE(kv::RestoreListFile(file));
        answerer.WaitAll();
        const std::string text = answerer.Seen().at(0).text;
        EXPECT_EQ(undo, text.substr(text.size() - std::min(text.size(), undo.size())));
    }
    CloseHandle(held);
    EXPECT_EQ(restored, kvtest::StartupSetBytes());

    ASSERT_TRUE(kv::RestoreListFile(undo));
    EXPECT_EQ("MZ wide", fileNow());
    EXPECT_GE(RowWithTitle(kvtest::Ansi("Инструмент ?.exe")), 0);
    DeleteFileW(path.c_str());
}

} // namespace
