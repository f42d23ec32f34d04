// Clearing every box, refreshing and setting every box again gives back the
// startup set byte for byte; what cannot come back whole is not taken out.
#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "entries/winini_reader.h"
#include "records/disabled_store.h"
#include "records/profile_records.h"
#include "records/user_data_folder.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/list/scan_driver.h"
#include "resource.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

using kvtest::SetValue;

namespace {

const std::string kVendor = std::string(kv::kRunKey) + "\\Vendor";
const std::string kSection = std::string(kv::kRunOnceExKey) + "\\Setup";

// Saves a new shell link, set up by `fill`, at the path.
template <typename Fill> void SaveShortcut(const std::string& path, Fill fill) {
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, reinterpret_cast<void**>(&link))));
    fill(link);
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    EXPECT_TRUE(SUCCEEDED(file->Save(kv::Wide(path).c_str(), TRUE)));
    file->Release();
    link->Release();
    CoUninitialize();
}

// A shell link with every property a shortcut can carry.
void MakeFullShortcut(const std::string& path, const std::string& target) {
    SaveShortcut(path, [&](IShellLinkA* link) {
        link->SetPath(target.c_str());
        link->SetArguments("/start | more");
        link->SetWorkingDirectory("C:\\windows\\temp");
        link->SetDescription("Every property");
        link->SetIconLocation("C:\\windows\\system32\\shell32.dll", 12);
        link->SetHotkey(MAKEWORD('K', HOTKEYF_CONTROL | HOTKEYF_ALT));
        link->SetShowCmd(SW_SHOWMINNOACTIVE);
    });
}

// A shell link to something that is not a file: the shell's "Computer".
void MakeNonFileShortcut(const std::string& path) {
    SaveShortcut(path, [](IShellLinkA* link) {
        LPITEMIDLIST computer = nullptr;
        ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer)));
        link->SetIDList(computer);
        CoTaskMemFree(computer);
    });
}

class RoundTrip : public kvtest::MainWindowTest {
  protected:
    void TearDown() override {
        kvtest::MainWindowTest::TearDown();
        kvtest::RemovePath("C:\\My App");
        kvtest::RemovePath("C:\\My");
    }
    // The rows' texts and boxes, in a fixed order.
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (const kv::StartupEntry& row : kv::ReadAllRows()) {
            rows.push_back(row.title + "|" + row.command + "|" + row.location);
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }
    static void ExpectSame(const std::map<std::string, std::string>& before,
                           const std::map<std::string, std::string>& after) {
        for (const auto& place : before) {
            const auto found = after.find(place.first);
            if (found == after.end()) {
                ADD_FAILURE() << "lost: " << kvtest::Utf8(place.first);
            } else if (found->second != place.second) {
                ADD_FAILURE() << "changed: " << kvtest::Utf8(place.first);
            }
        }
        for (const auto& place : after) {
            if (before.count(place.first) == 0) {
                ADD_FAILURE() << "added: " << kvtest::Utf8(place.first);
            }
        }
    }
};

TEST_F(RoundTrip, EveryBoxClearedAndSetAgainGivesBackEveryByte) {
    // Unnamed values, empty data, data without its terminating zero or with
    // bytes after it, and texts with line breaks, one of which tries to pass
    // for records of disable.ini.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "", "default.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Empty", "");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "NoZero", "abc", REG_SZ, false);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Tail", std::string("t.exe\0junk", 10));
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Two\nLines",
             "x.exe\r\n[object 1]\r\ntitle=injected\r\n[common]\r\ntotal=1");
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunKey, "Machine", "m.exe -a");
    // Values of other types in a subkey of Run and in a RunOnceEx section,
    // and the section's caption.
    SetValue(HKEY_CURRENT_USER, kVendor, "Expand", "%SystemRoot%\\notepad.exe", REG_EXPAND_SZ);
    kvtest::SetDwordValue(HKEY_CURRENT_USER, kVendor, "Number", 7);
    SetValue(HKEY_LOCAL_MACHINE, kSection, "", "Caption of the section");
    SetValue(HKEY_LOCAL_MACHINE, kSection, "1", "||notepad.exe");
    SetValue(HKEY_LOCAL_MACHINE, kSection, "Multi", std::string("a\0b\0\0", 5), REG_MULTI_SZ,
             false);
    // Shortcuts with all their properties, one whose target a split of its
    // command would take for the folder C:\My, one to no file at all; a
    // plain program file; win.ini items.
    kvtest::MakeFolder("C:\\My");
    kvtest::MakeFolder("C:\\My App");
    kvtest::MakeFile("C:\\My App\\x.exe", "MZ");
    const std::string user = kv::GetStartupFolderPath(0);
    const std::string all = kv::GetStartupFolderPath(1);
    MakeFullShortcut(user + "\\Full.lnk", "C:\\My App\\x.exe");
    MakeNonFileShortcut(user + "\\Computer.lnk");
    kvtest::MakeFile(user + "\\plain.bat", "@echo off\r\n");
    SetFileAttributesA((user + "\\plain.bat").c_str(), FILE_ATTRIBUTE_HIDDEN);
    kvtest::MakeShellLink(all + "\\Shared.lnk", "C:\\windows\\notepad.exe", "C:\\a b.txt");
    WriteProfileStringA("windows", "run", "a.exe,b.exe");
    WriteProfileStringA("windows", "load", "C:\\WINDOWS\\TASKMON.EXE");

    const std::map<std::string, std::string> before = kvtest::StartupSetBytes();
    OpenMainWindow();
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(18u, rows.size());

    SendCommand(IDM_DISABLE_ALL); // "Отключить всё"
    kvtest::PumpMessages();
    for (int row = 0; row < kv::RowCount(); ++row) {
        EXPECT_TRUE(kv::RowUnchecked(row)) << kvtest::Utf8(kv::RowText(row, kv::kColumnTitle));
    }
    EXPECT_TRUE(kvtest::ValueNames(HKEY_CURRENT_USER, kv::kRunKey).empty());
    EXPECT_TRUE(kvtest::ValueNames(HKEY_LOCAL_MACHINE, kSection).empty());
    EXPECT_FALSE(kvtest::FileExists(user + "\\Full.lnk"));
    EXPECT_EQ("", kv::ReadWinIniValue("run"));
    // One record per row, and none that a text made up.
    const std::string store = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    const kv::RecordFile file = kv::ReadRecordFile(store, false);
    EXPECT_EQ(18, file.total);
    EXPECT_EQ(18u, file.records.size());
    EXPECT_EQ(std::string::npos, kvtest::ReadFileText(store).find("\ntitle=injected"));

    kv::ScanDriver(); // F5
    EXPECT_EQ(rows, Rows());

    SendCommand(IDM_ENABLE_ALL); // "Включить всё"
    kvtest::PumpMessages();
    ExpectSame(before, kvtest::StartupSetBytes());
    EXPECT_EQ(0, kv::ReadRecordFile(store, false).total);
    EXPECT_TRUE(kvtest::FolderIsEmpty(kv::KeptFilesFolder()));
    kv::ScanDriver();
    EXPECT_EQ(rows, Rows());
}

TEST_F(RoundTrip, AnOlderStoreComesBackAsBefore) {
    // Records as older builds wrote them: no kept form, so the entry goes back
    // through its writer. A bar in a shortcut's arguments stays in them.
    const std::string user = kv::GetStartupFolderPath(0);
    const std::string store = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    const char* path = store.c_str();
    WritePrivateProfileStringA("common", "total", "3", path);
    WritePrivateProfileStringA("object 1", "title", "Pipe.lnk", path);
    WritePrivateProfileStringA("object 1", "command",
                               "C:\\windows\\system32\\cmd.exe /c echo a | more", path);
    WritePrivateProfileStringA("object 1", "location", user.c_str(), path);
    WritePrivateProfileStringA("object 2", "title", "Old", path);
    WritePrivateProfileStringA("object 2", "command", "\"C:\\Program Files\\old.exe\" /q", path);
    WritePrivateProfileStringA("object 2", "location",
                               "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", path);
    WritePrivateProfileStringA("object 3", "title", "", path); // incomplete: not shown
    WritePrivateProfileStringA("object 3", "command", "gone.exe", path);
    WritePrivateProfileStringA("object 3", "location",
                               "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", path);
    OpenMainWindow();
    ASSERT_EQ(2, kv::RowCount());
    SetBox("Pipe.lnk", true);
    SetBox("Old", true);
    EXPECT_EQ("\"C:\\Program Files\\old.exe\" /q",
              kvtest::ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Old"));

    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkA, reinterpret_cast<void**>(&link))));
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    ASSERT_TRUE(SUCCEEDED(file->Load(kv::Wide(user + "\\Pipe.lnk").c_str(), STGM_READ)));
    char arguments[MAX_PATH] = {};
    link->GetArguments(arguments, MAX_PATH);
    EXPECT_STREQ("/c echo a | more", arguments);
    file->Release();
    link->Release();
    CoUninitialize();
}

TEST_F(RoundTrip, WhatCannotComeBackWholeIsNotTakenOut) {
    const std::string user = kv::GetStartupFolderPath(0);
    kvtest::MakeFolder(user + "\\Sub");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Stays", "s.exe");
    OpenMainWindow();
    // A folder inside the Startup folder could not be put back as it was.
    SetBox("Sub", false);
    EXPECT_TRUE(kvtest::FileExists(user + "\\Sub"));
    EXPECT_TRUE(kv::RowChecked(RowWithTitle("Sub")));
    EXPECT_EQ(
        kvtest::Ansi("Сервис Sub нельзя отключить: его нельзя будет вернуть на прежнее место"),
        StatusText(0));
    EXPECT_EQ(kvtest::Ansi("Всего программ: 2 (отключено: 0, выделено: 0)"), StatusText(1));

    // When disable.ini cannot be written (a folder has its name), the
    // location is not touched.
    const std::string store = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    kvtest::MakeFolder(store);
    SetBox("Stays", false);
    EXPECT_TRUE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Stays"));
    EXPECT_TRUE(kv::RowChecked(RowWithTitle("Stays")));
    EXPECT_EQ(kvtest::Ansi("Всего программ: 2 (отключено: 0, выделено: 0)"), StatusText(1));
    kvtest::RemovePath(store);
    EXPECT_EQ(0, kv::ReadRecordFile(store, false).total);
}

TEST_F(RoundTrip, ForeignRecordsChangeNothingOutsideTheStartupSet) {
    // A hand-made or hostile disable.ini naming places that are no startup
    // location, a name that climbs out of the Startup folder, and a kept copy
    // outside the program's own folder.
    kvtest::TempFolder elsewhere{"foreign"};
    kvtest::MakeFile(elsewhere / "canary.txt", "keep");
    const std::string user = kv::GetStartupFolderPath(0);
    const std::string store = kv::UserDataFilePath(kv::UserDataFile::DisabledStore);
    kvtest::MakeFile(store, "[common]\r\ntotal=3\r\n"
                            "[object 1]\r\ntitle=canary.txt\r\ncommand=x.exe\r\nlocation=" +
                                elsewhere.path() +
                                "\r\n"
                                "[object 2]\r\ntitle=..\\escape.lnk\r\ncommand=x.exe\r\nlocation=" +
                                user +
                                "\r\nlink=..\\..\\canary.txt\r\n"
                                "[object 3]\r\ntitle=Value\r\ncommand=v.exe\r\n"
                                "location=HKCU\\Software\\KelvorinCanary\r\ntype=4\r\n");
    OpenMainWindow();
    ASSERT_EQ(3, kv::RowCount());

    SendCommand(IDM_ENABLE_ALL); // "Включить всё": each one refused
    kvtest::PumpMessages();
    for (int row = 0; row < kv::RowCount(); ++row) {
        EXPECT_TRUE(kv::RowUnchecked(row));
    }
    EXPECT_EQ(3, kv::ReadRecordFile(store, false).total);
    EXPECT_FALSE(kvtest::KeyExists(HKEY_CURRENT_USER, "Software\\KelvorinCanary"));
    EXPECT_FALSE(kvtest::FileExists(user + "\\..\\escape.lnk"));
    EXPECT_TRUE(kvtest::FolderIsEmpty(user));

    // Deleting the rows drops their records and nothing else.
    SendCommand(IDM_SELECT_ALL);
    WriteSetting("Confirmation", "MultiDel", 0);
    kv::LoadConfirmationSettings(kv::g_app.settings);
    SendCommand(IDM_DELETE);
    EXPECT_EQ(0, kv::RowCount());
    EXPECT_EQ(0, kv::ReadRecordFile(store, false).total);
    EXPECT_EQ("keep", kvtest::ReadFileText(elsewhere / "canary.txt"));
    EXPECT_FALSE(kvtest::FileExists(elsewhere / "canary.txt.lnk"));
}

} // namespace

namespace {

// The locations of 64-bit Windows, each through disable, refresh and enable:
// the 32-bit registry view's keys (named as the 64-bit view names them), the
// policy Run keys, and an expandable value, which keeps its type.
TEST_F(RoundTrip, TheLocationsOf64BitWindowsComeBackByteForByte) {
    struct Case {
        HKEY root;
        std::string keyPath;
        std::string location;
        DWORD type;
    };
    const std::string hklm = "HKLM\\";
    const std::string hkcu = "HKCU\\";
    const Case cases[] = {
        {HKEY_LOCAL_MACHINE, kv::kRun32Key, hklm + kv::kRun32Key, REG_SZ},
        {HKEY_LOCAL_MACHINE, kv::kRunOnce32Key, hklm + kv::kRunOnce32Key, REG_SZ},
        {HKEY_LOCAL_MACHINE, std::string(kv::kRun32Key) + "\\Vendor",
         hklm + kv::kRun32Key + "\\Vendor", REG_SZ},
        {HKEY_LOCAL_MACHINE, std::string(kv::kRunOnceEx32Key) + "\\Setup",
         hklm + kv::kRunOnceEx32Key + "\\Setup", REG_SZ},
        {HKEY_LOCAL_MACHINE, kv::kPolicyRunKey, hklm + kv::kPolicyRunKey, REG_SZ},
        {HKEY_CURRENT_USER, kv::kPolicyRunKey, hkcu + kv::kPolicyRunKey, REG_SZ},
        {HKEY_CURRENT_USER, kv::kRunKey, hkcu + kv::kRunKey, REG_EXPAND_SZ},
    };
    for (std::size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SetValue(cases[i].root, cases[i].keyPath, std::to_string(i + 1),
                 "%SystemRoot%\\notepad.exe /" + std::to_string(i), cases[i].type);
    }
    const std::map<std::string, std::string> before = kvtest::StartupSetBytes();
    OpenMainWindow();
    for (std::size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        const int row = RowWithTitle(std::to_string(i + 1));
        ASSERT_GE(row, 0) << cases[i].location;
        EXPECT_EQ(cases[i].location, kv::RowText(row, kv::kColumnLocation));
        SetBox(std::to_string(i + 1), false);
        EXPECT_FALSE(kvtest::ValueExists(cases[i].root, cases[i].keyPath, std::to_string(i + 1)))
            << cases[i].location;
    }
    kv::ScanDriver();
    for (std::size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SetBox(std::to_string(i + 1), true);
    }
    ExpectSame(before, kvtest::StartupSetBytes());
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
}

} // namespace
