// Windows' own startup switch in the real main window: for each location
// that has one, each state of its value shows in the box and the status;
// setting the box turns the switch on and leaves the entry alone; enabling
// from the store and deleting take the switch along; a switch turned by
// another program alone is no change for the check.
#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "records/disabled_store.h"
#include "shell/list/entry_list.h"
#include "records/settings_store.h"
#include "shell/frame/app_state.h"
#include "shell/list/scan_driver.h"
#include "shell/actions/startup_report.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/text.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

struct SwitchedLocation {
    const char* name;
    HKEY switchRoot;
    const char* switchKey;
    bool folder; // a Startup folder: the entry is a shortcut there
    HKEY root;   // else: the registry key of the entry
    const char* keyPath;
    int selector; // a Startup folder's selector
};

const SwitchedLocation kLocations[] = {
    {"HKCU Run", HKEY_CURRENT_USER, "Run", false, HKEY_CURRENT_USER, kv::kRunKey, 0},
    {"HKLM Run", HKEY_LOCAL_MACHINE, "Run", false, HKEY_LOCAL_MACHINE, kv::kRunKey, 0},
    {"HKLM Run32", HKEY_LOCAL_MACHINE, "Run32", false, HKEY_LOCAL_MACHINE, kv::kRun32Key, 0},
    {"user folder", HKEY_CURRENT_USER, "StartupFolder", true, nullptr, "", kv::kCurrentUserStartup},
    {"all users", HKEY_LOCAL_MACHINE, "StartupFolder", true, nullptr, "", kv::kAllUsersStartup},
};

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

std::string SwitchKey(const SwitchedLocation& location) {
    return std::string(kvtest::kStartupApprovedKey) + "\\" + location.switchKey;
}

// Makes the entry and returns its title in the list.
std::string MakeEntry(const SwitchedLocation& location) {
    if (location.folder) {
        kvtest::MakeShellLink(kv::GetStartupFolderPath(location.selector) + "\\Sw.lnk",
                              "C:\\windows\\notepad.exe");
        return "Sw.lnk";
    }
    kvtest::SetValue(location.root, location.keyPath, "Sw", "sw.exe /q");
    return "Sw";
}

class WindowsSwitch : public kvtest::MainWindowTest {
  protected:
    int Row(const std::string& title) {
        const int row = RowWithTitle(title);
        EXPECT_GE(row, 0) << title;
        return row;
    }
};

TEST_F(WindowsSwitch, EachStateShowsAndTheBoxTurnsItOn) {
    struct State {
        DWORD type; // REG_NONE: no value
        std::string bytes;
        bool off;
    };
    const std::string when = Bytes({0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x01});
    const State states[] = {
        {REG_BINARY, Bytes({3, 0, 0, 0}) + when, true},
        {REG_BINARY, Bytes({7, 0, 0, 0}) + when, true},
        {REG_BINARY, Bytes({1}), true},
        {REG_BINARY, Bytes({2, 0, 0, 0}) + std::string(8, '\0'), false},
        {REG_BINARY, Bytes({6, 0, 0, 0}) + std::string(8, '\0'), false},
        {REG_NONE, "", false},
        {REG_SZ, Bytes({3}), false},
    };
    OpenMainWindow();
    for (const SwitchedLocation& location : kLocations) {
        SCOPED_TRACE(location.name);
        ClearStartupSet();
        const std::string title = MakeEntry(location);
        for (const State& state : states) {
            SCOPED_TRACE(std::to_string(state.type) + ", " + std::to_string(state.bytes.size()) +
                         " bytes");
            kvtest::DeleteValue(location.switchRoot, SwitchKey(location), title);
            if (state.type != REG_NONE) {
                kvtest::SetValue(location.switchRoot, SwitchKey(location), title, state.bytes,
                                 state.type, false);
            }
            kv::ScanDriver();
            const int row = Row(title);
            EXPECT_EQ(!state.off, kv::RowBoxSet(row));
            EXPECT_EQ(kvtest::Ansi(state.off ? "Отключено в Windows" : "Остановлено"),
                      kv::RowText(row, kv::kColumnStatus));
            EXPECT_EQ(kvtest::Ansi(state.off ? "Всего программ: 1 (отключено: 1, выделено: 0)"
                                             : "Всего программ: 1 (отключено: 0, выделено: 0)"),
                      StatusText(1));
        }
        // Setting the box of the first state turns the switch on: bit 0 of
        // the first byte cleared, the time zeroed; the entry is not touched.
        kvtest::SetValue(location.switchRoot, SwitchKey(location), title, states[0].bytes,
                         REG_BINARY, false);
        kv::ScanDriver();
        const std::map<std::string, std::string> entry = kvtest::StartupSetBytes();
        SetBox(title, true);
        EXPECT_TRUE(kv::RowBoxSet(Row(title)));
        kv::RegKey key;
        DWORD type = REG_NONE;
        std::string bytes;
        ASSERT_TRUE(key.Open(location.switchRoot, SwitchKey(location), KEY_QUERY_VALUE));
        ASSERT_EQ(ERROR_SUCCESS, kv::QueryValue(key.get(), title, type, bytes));
        EXPECT_EQ(Bytes({2, 0, 0, 0}) + std::string(8, '\0'), bytes);
        std::map<std::string, std::string> after = kvtest::StartupSetBytes();
        after.erase(std::string(location.switchRoot == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") +
                    SwitchKey(location) + "|" + title);
        std::map<std::string, std::string> before = entry;
        before.erase(std::string(location.switchRoot == HKEY_CURRENT_USER ? "HKCU\\" : "HKLM\\") +
                     SwitchKey(location) + "|" + title);
        EXPECT_EQ(before, after);
        EXPECT_TRUE(kv::ReadDisabledEntries().empty());
    }
}

TEST_F(WindowsSwitch, EnablingDeletingAndTheCheckTakeItAlong) {
    const SwitchedLocation& run = kLocations[0];
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Sw", "sw.exe /q");
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Gone", "gone.exe");
    const std::string off = Bytes({3, 0, 0, 0, 9, 9, 9, 9, 9, 9, 9, 9});
    OpenMainWindow();

    // A set box means Windows starts it: enabling from the store turns on a
    // switch that was turned off meanwhile.
    SetBox("Sw", false);
    kvtest::SetValue(HKEY_CURRENT_USER, SwitchKey(run), "Sw", off, REG_BINARY, false);
    SetBox("Sw", true);
    EXPECT_EQ("sw.exe /q", kvtest::ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Sw"));
    kv::ScanDriver();
    EXPECT_TRUE(kv::RowBoxSet(RowWithTitle("Sw")));
    // "Включить всё" too, with the switches read once for every row.
    SetBox("Sw", false);
    kvtest::SetValue(HKEY_CURRENT_USER, SwitchKey(run), "Sw", off, REG_BINARY, false);
    SendCommand(IDM_ENABLE_ALL);
    kv::ScanDriver();
    EXPECT_TRUE(kv::RowBoxSet(RowWithTitle("Sw")));

    // Another program turning the switch off is no change of the startup set.
    kvtest::SetValue(HKEY_CURRENT_USER, SwitchKey(run), "Sw", off, REG_BINARY, false);
    CheckFindingNothing();
    EXPECT_FALSE(kv::RowBoxSet(RowWithTitle("Sw")));
    // The report for scripts shows it disabled.
    kvtest::TempFolder out{"report"};
    ASSERT_EQ(0, kv::WriteReportForScripts(out / "r.txt"));
    EXPECT_NE(std::string::npos, kvtest::ReadFileText(out / "r.txt")
                                     .find(". Sw\r\nsw.exe /q\r\n" + std::string("HKCU\\") +
                                           kv::kRunKey + "\r\n" + kvtest::Ansi("Сервис отключен")));

    // Deleting an entry deletes its switch: left behind, it would turn off a
    // later entry of the same name.
    kvtest::SetValue(HKEY_CURRENT_USER, SwitchKey(run), "Gone", off, REG_BINARY, false);
    kv::ScanDriver();
    WriteSetting("Confirmation", "SingleDel", 0);
    kv::LoadConfirmationSettings(kv::g_app.settings);
    ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list(), RowWithTitle("Gone"), LVIS_SELECTED, LVIS_SELECTED);
    SendCommand(IDM_DELETE);
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Gone"));
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, SwitchKey(run), "Gone"));
    EXPECT_TRUE(kvtest::ValueExists(HKEY_CURRENT_USER, SwitchKey(run), "Sw"));
}

// An entry named outside the code page: its switch is its exact name's, set
// by the box and deleted with the entry, for a value and a Startup-folder file.
TEST_F(WindowsSwitch, AWideNamedEntrysOwnSwitchIsSetAndDeleted) {
    const std::string off = Bytes({3, 0, 0, 0, 9, 9, 9, 9, 9, 9, 9, 9});
    const SwitchedLocation* places[] = {&kLocations[0], &kLocations[3]};
    OpenMainWindow();
    WriteSetting("Confirmation", "SingleDel", 0);
    kv::LoadConfirmationSettings(kv::g_app.settings);
    for (const SwitchedLocation* location : places) {
        SCOPED_TRACE(location->name);
        std::wstring name;
        if (location->folder) {
            name = L"Wide \u65e5.exe";
            const std::wstring path =
                kv::Wide(kv::GetStartupFolderPath(location->selector)) + L"\\" + name;
            HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0,
                                      nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, file);
            DWORD written = 0;
            WriteFile(file, "MZ", 2, &written, nullptr);
            CloseHandle(file);
        } else {
            name = L"Wide \u65e5";
            const std::string data = kv::BytesOfWide(L"wide.exe" + std::wstring(1, L'\0'));
            kv::RegKey key;
            ASSERT_TRUE(key.Open(location->root, location->keyPath, KEY_SET_VALUE));
            ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                                                    reinterpret_cast<const BYTE*>(data.data()),
                                                    static_cast<DWORD>(data.size())));
        }
        kv::RegKey switches;
        ASSERT_TRUE(switches.Create(location->switchRoot, SwitchKey(*location), KEY_ALL_ACCESS));
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(switches.get(), name.c_str(), 0, REG_BINARY,
                                                reinterpret_cast<const BYTE*>(off.data()),
                                                static_cast<DWORD>(off.size())));
        const auto switchNow = [&] {
            DWORD type = REG_NONE;
            std::string bytes;
            return kv::QueryValueWide(switches.get(), name, type, bytes) == ERROR_SUCCESS
                       ? bytes
                       : std::string("<none>");
        };
        const std::string title = kv::Narrow(name);
        kv::ScanDriver();
        EXPECT_FALSE(kv::RowBoxSet(Row(title)));
        EXPECT_EQ(kvtest::Ansi("Отключено в Windows"), kv::RowText(Row(title), kv::kColumnStatus));

        SetBox(title, true);
        EXPECT_EQ(Bytes({2, 0, 0, 0}) + std::string(8, '\0'), switchNow());
        kv::ScanDriver();
        EXPECT_TRUE(kv::RowBoxSet(Row(title)));

        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(switches.get(), name.c_str(), 0, REG_BINARY,
                                                reinterpret_cast<const BYTE*>(off.data()),
                                                static_cast<DWORD>(off.size())));
        kv::ScanDriver();
        ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
        ListView_SetItemState(list(), Row(title), LVIS_SELECTED, LVIS_SELECTED);
        SendCommand(IDM_DELETE);
        EXPECT_EQ(-1, RowWithTitle(title));
        EXPECT_EQ("<none>", switchNow());
    }
}

} // namespace
