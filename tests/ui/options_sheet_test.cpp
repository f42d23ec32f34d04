#include "moves/entry_moves.h"
#include "records/disabled_store.h"
#include "records/settings_store.h"
#include "shell/frame/app_state.h"
#include "resource.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/process.h"
#include "support/registry_fixture.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <string>
#include <vector>

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The open options sheet, as the user sees it: run on the test thread from a
// timer that the sheet's own modal loop serves.
class Sheet {
  public:
    explicit Sheet(HWND sheet) : sheet_(sheet) {}

    // Shows the page (0 general, 1 confirmations, 2 monitoring) and gives it.
    HWND Page(int index) {
        SendMessageA(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        return reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
    }
    static bool Checked(HWND page, int id) {
        return SendDlgItemMessageA(page, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != 0; }
    // Sets a check box as a click does, with the command the click sends.
    static void Click(HWND page, int id, bool checked) {
        HWND box = GetDlgItem(page, id);
        SendMessageA(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(box));
    }
    // PSBTN_OK and PSBTN_CANCEL close the sheet; PSBTN_APPLYNOW keeps it.
    void Press(int button) {
        SendMessageA(sheet_, PSM_PRESSBUTTON, static_cast<WPARAM>(button), 0);
        closed_ = closed_ || button == PSBTN_OK || button == PSBTN_CANCEL;
    }
    bool closed() const { return closed_; }

  private:
    HWND sheet_;
    bool closed_ = false;
};

// The minutes of the monitoring page: the spin control beside the edit.
HWND Spin(HWND page) {
    HWND edit = GetDlgItem(page, IDC_MON_FREQ);
    for (HWND spin = FindWindowExA(page, nullptr, UPDOWN_CLASSA, nullptr); spin != nullptr;
         spin = FindWindowExA(page, spin, UPDOWN_CLASSA, nullptr)) {
        if (reinterpret_cast<HWND>(SendMessageA(spin, UDM_GETBUDDY, 0, 0)) == edit) {
            return spin;
        }
    }
    return nullptr;
}

int SpinPosition(HWND spin) {
    return static_cast<int>(SendMessageA(spin, UDM_GETPOS32, 0, 0));
}

// A mouse click on the spin's upper (up) or lower (down) arrow.
void ClickArrow(HWND spin, bool up) {
    RECT rect{};
    GetClientRect(spin, &rect);
    const LPARAM point = MAKELPARAM(rect.right / 2, up ? rect.bottom / 4 : rect.bottom * 3 / 4);
    SendMessageA(spin, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(spin, WM_LBUTTONUP, 0, point);
}

// The full path of this test program's file.
std::string ModulePath() {
    char module[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    return length < MAX_PATH ? std::string(module, length) : std::string();
}

std::function<void(Sheet&)>* g_user = nullptr;
bool g_sheetSeen = false;

BOOL CALLBACK CollectSheet(HWND window, LPARAM sheets) {
    char className[16] = {};
    GetClassNameA(window, className, static_cast<int>(sizeof(className)));
    if (lstrcmpA(className, "#32770") == 0 &&
        SendMessageA(window, PSM_GETCURRENTPAGEHWND, 0, 0) != 0) {
        reinterpret_cast<std::vector<HWND>*>(sheets)->push_back(window);
    }
    return TRUE;
}

// The property sheets open on this thread.
std::vector<HWND> OpenSheets() {
    std::vector<HWND> sheets;
    EnumThreadWindows(GetCurrentThreadId(), CollectSheet, reinterpret_cast<LPARAM>(&sheets));
    return sheets;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    const std::vector<HWND> sheets = OpenSheets();
    if (sheets.empty() || g_user == nullptr) {
        return; // not open yet
    }
    HWND found = sheets.front();
    KillTimer(nullptr, timer);
    g_sheetSeen = true;
    char caption[64] = {};
    GetWindowTextA(found, caption, static_cast<int>(sizeof(caption)));
    EXPECT_EQ(kvtest::Ansi("Настройки программы ..."), std::string(caption));
    Sheet sheet(found);
    (*g_user)(sheet);
    if (!sheet.closed()) { // a failed assertion left early
        sheet.Press(PSBTN_CANCEL);
    }
}

// Served by the modal loop of a second sheet, if one opens: closes every
// sheet, so that the test goes on and reports it.
bool g_secondSheet = false;

void CALLBACK CloseSecondSheet(HWND, UINT, UINT_PTR timer, DWORD) {
    const std::vector<HWND> sheets = OpenSheets();
    if (sheets.size() > 1) {
        KillTimer(nullptr, timer);
        g_secondSheet = true;
        for (HWND sheet : sheets) {
            SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        }
    }
}

class OptionsSheet : public kvtest::MainWindowTest {
  protected:
    // Opens the sheet with the options command; `user` acts on it and
    // closes it, and the command returns after that.
    void RunSheet(std::function<void(Sheet&)> user) {
        g_user = &user;
        g_sheetSeen = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, OnTimer);
        SendCommand(IDM_OPTIONS);
        KillTimer(nullptr, timer);
        g_user = nullptr;
        EXPECT_TRUE(g_sheetSeen);
    }
    int FileSetting(const char* section, const char* key) {
        const std::string file = programFolder() + "\\settings.ini";
        return static_cast<int>(GetPrivateProfileIntA(section, key, -99, file.c_str()));
    }
    static DWORD OwnValueType() {
        DWORD type = REG_NONE;
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            RegQueryValueExA(key, "Kelvorin", nullptr, &type, nullptr, nullptr);
            RegCloseKey(key);
        }
        return type;
    }

    kvtest::MessageBoxAnswerer boxes; // no message box is expected
};

TEST_F(OptionsSheet, OwnAutostartIsOnlyTheExactNameAsAString) {
    const struct {
        const char* name;
        const char* data;
        DWORD type;
        bool on;
        bool minimised;
    } cases[] = {
        {"Kelvorin", "\"C:\\Program Files\\Kelvorin\\Kelvorin.exe\" /m", REG_SZ, true, true},
        {"Kelvorin", "C:\\Tools\\Kelvorin.exe", REG_SZ, true, false},
        {"kelvorin", "C:\\Tools\\Kelvorin.exe /m", REG_SZ, false, false},
        {"Kelvorin", "C:\\Tools\\Kelvorin.exe /m", REG_EXPAND_SZ, false, false},
    };
    OpenMainWindow();
    for (const auto& c : cases) {
        kvtest::ClearStartupRegistry();
        kvtest::SetValue(HKEY_CURRENT_USER, kRunKey, c.name, c.data, c.type);
        RunSheet([&](Sheet& sheet) {
            HWND page = sheet.Page(0);
            EXPECT_EQ(c.on, Sheet::Checked(page, IDC_GEN_AUTOSTART)) << c.name << c.type;
            EXPECT_EQ(c.minimised, Sheet::Checked(page, IDC_GEN_AUTOSTART_MIN)) << c.data;
            // Setting the start minimised needs the autostart itself.
            EXPECT_EQ(c.on, Sheet::Enabled(page, IDC_GEN_AUTOSTART_MIN)) << c.name << c.type;
            sheet.Press(PSBTN_CANCEL);
        });
        EXPECT_EQ(c.data, kvtest::ReadString(HKEY_CURRENT_USER, kRunKey, c.name));
    }
}

// OK with the box clear deletes only the program's own value: one that the
// sheet does not take for it stays, of its own type and data.
TEST_F(OptionsSheet, AnotherProgramsValueOfTheNameSurvivesOk) {
    const struct {
        const char* name;
        DWORD type;
    } cases[] = {{"kelvorin", REG_SZ}, {"Kelvorin", REG_EXPAND_SZ}, {"KELVORIN", REG_EXPAND_SZ}};
    OpenMainWindow();
    for (const auto& c : cases) {
        kvtest::ClearStartupRegistry();
        kvtest::SetValue(HKEY_CURRENT_USER, kRunKey, c.name, "%ProgramFiles%\\other.exe", c.type);
        RunSheet([&](Sheet& sheet) {
            HWND page = sheet.Page(0);
            EXPECT_FALSE(Sheet::Checked(page, IDC_GEN_AUTOSTART)) << c.name << c.type;
            sheet.Press(PSBTN_OK);
        });
        EXPECT_EQ("%ProgramFiles%\\other.exe", kvtest::ReadString(HKEY_CURRENT_USER, kRunKey, c.name))
            << c.name << c.type;
        EXPECT_EQ(c.type, OwnValueType()) << c.name;
        EXPECT_EQ(kvtest::Ansi("Все настройки сохранены успешно"), StatusText(0));
    }
}

TEST_F(OptionsSheet, OwnAutostartNamesTheProgramFileAndGoesAgain) {
    const std::string program = ModulePath();
    ASSERT_NE(std::string::npos, program.find(":\\")) << program;
    const std::string command =
        (program.find(' ') != std::string::npos ? "\"" + program + "\"" : program) + " /m";
    const std::string saved = kvtest::Ansi("Все настройки сохранены успешно");

    OpenMainWindow();
    RunSheet([&](Sheet& sheet) {
        HWND page = sheet.Page(0);
        ASSERT_FALSE(Sheet::Enabled(page, IDC_GEN_AUTOSTART_MIN));
        Sheet::Click(page, IDC_GEN_AUTOSTART, true);
        EXPECT_TRUE(Sheet::Enabled(page, IDC_GEN_AUTOSTART_MIN));
        Sheet::Click(page, IDC_GEN_AUTOSTART_MIN, true);
        sheet.Press(PSBTN_OK);
    });
    EXPECT_EQ(command, kvtest::ReadString(HKEY_CURRENT_USER, kRunKey, "Kelvorin"));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), OwnValueType());
    EXPECT_EQ(saved, StatusText(0));

    // Its own value opens as set; switched off and applied, it is gone, and
    // the start minimised keeps its mark but cannot be changed.
    RunSheet([&](Sheet& sheet) {
        HWND page = sheet.Page(0);
        EXPECT_TRUE(Sheet::Checked(page, IDC_GEN_AUTOSTART));
        EXPECT_TRUE(Sheet::Checked(page, IDC_GEN_AUTOSTART_MIN));
        Sheet::Click(page, IDC_GEN_AUTOSTART, false);
        EXPECT_FALSE(Sheet::Enabled(page, IDC_GEN_AUTOSTART_MIN));
        EXPECT_TRUE(Sheet::Checked(page, IDC_GEN_AUTOSTART_MIN));
        sheet.Press(PSBTN_APPLYNOW);
        EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kRunKey, "Kelvorin"));
        sheet.Press(PSBTN_CANCEL);
    });
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, kRunKey, "Kelvorin"));
    EXPECT_EQ(saved, StatusText(0));
}

// While an entry is delayed, the own value carries the switch that starts
// it, whatever the start minimised says; with none delayed, it is as the
// boxes say again.
TEST_F(OptionsSheet, OwnAutostartStartsTheDelayedEntriesWhileAnyIsDelayed) {
    const std::string program = ModulePath();
    const std::string path =
        program.find(' ') != std::string::npos ? "\"" + program + "\"" : program;
    kvtest::SetValue(HKEY_CURRENT_USER, kRunKey, "Cloud", "C:\\cloud.exe");
    kv::StartupEntry cloud;
    cloud.title = "Cloud";
    cloud.command = "C:\\cloud.exe";
    cloud.location = std::string("HKCU\\") + kRunKey;
    cloud.checked = true;
    const kv::Consent no = [](const std::string&) { return false; };
    ASSERT_TRUE(kv::Delay(cloud, 30, 0, no).done());
    kvtest::SetValue(HKEY_CURRENT_USER, kRunKey, "Kelvorin", path + " /m /startup");

    OpenMainWindow();
    RunSheet([&](Sheet& sheet) {
        HWND page = sheet.Page(0);
        EXPECT_TRUE(Sheet::Checked(page, IDC_GEN_AUTOSTART));
        Sheet::Click(page, IDC_GEN_AUTOSTART_MIN, false);
        sheet.Press(PSBTN_OK);
    });
    EXPECT_EQ(path + " /m /startup", kvtest::ReadString(HKEY_CURRENT_USER, kRunKey, "Kelvorin"));

    const std::vector<kv::StartupEntry> stored = kv::ReadDisabledEntries();
    ASSERT_EQ(1U, stored.size());
    ASSERT_TRUE(kv::Delay(stored[0], 0, 0, no).done());
    RunSheet([&](Sheet& sheet) {
        HWND page = sheet.Page(0);
        Sheet::Click(page, IDC_GEN_AUTOSTART_MIN, false);
        sheet.Press(PSBTN_OK);
    });
    EXPECT_EQ(path, kvtest::ReadString(HKEY_CURRENT_USER, kRunKey, "Kelvorin"));
}

// The logon runs the own value from another current folder: a program
// started by a bare relative name must still write its full path. The test
// above runs again in this test program started that way.
TEST_F(OptionsSheet, OwnAutostartAfterAStartByARelativeName) {
    const std::string program = ModulePath();
    const std::string name = program.substr(program.rfind('\\') + 1);
    kvtest::TempFolder results("kvopt");
    const std::string report = results / "report.xml";
    kvtest::ChildProcess child;
    ASSERT_TRUE(child.Start(name + " --gtest_filter=OptionsSheet.OwnAutostartNamesTheProgramFile*" +
                                " \"--gtest_output=xml:" + report + "\"",
                            kvtest::TestProgramDirectory()));
    EXPECT_EQ(0, child.Wait(120000));
    const std::string xml = kvtest::ReadFileText(report);
    EXPECT_NE(std::string::npos, xml.find("tests=\"1\" failures=\"0\"")) << xml;
}

TEST_F(OptionsSheet, TrayIconSwitchedOffAndOnAgain) {
    WriteSetting("General", "MinimizeToTray", 0);
    WriteSetting("General", "CloseToTray", 1);
    OpenMainWindow();
    ASSERT_TRUE(kv::g_app.trayIconAdded);
    ASSERT_FALSE(IsWindowVisible(window()));

    RunSheet([&](Sheet& sheet) {
        HWND page = sheet.Page(0);
        EXPECT_TRUE(Sheet::Checked(page, IDC_GEN_SHOW_ICON));
        EXPECT_FALSE(Sheet::Checked(page, IDC_GEN_MIN_TO_TRAY));
        EXPECT_TRUE(Sheet::Checked(page, IDC_GEN_CLOSE_TO_TRAY));
        Sheet::Click(page, IDC_GEN_MIN_TO_TRAY, true);
        Sheet::Click(page, IDC_GEN_SHOW_ICON, false);
        for (int id : {IDC_GEN_MIN_TO_TRAY, IDC_GEN_CLOSE_TO_TRAY}) {
            EXPECT_FALSE(Sheet::Enabled(page, id)) << id;
            EXPECT_TRUE(Sheet::Checked(page, id)) << id;
        }
        sheet.Press(PSBTN_OK);
    });
    EXPECT_FALSE(kv::g_app.trayIconAdded);
    EXPECT_TRUE(IsWindowVisible(window())); // nothing else could show it now
    for (const char* key : {"ShowIcon", "MinimizeToTray", "CloseToTray"}) {
        EXPECT_EQ(0, FileSetting("General", key)) << key;
    }
    EXPECT_EQ(0, kv::g_app.settings.ShowIcon);
    EXPECT_EQ(0, kv::g_app.settings.MinimizeToTray);
    EXPECT_EQ(0, kv::g_app.settings.CloseToTray);
    EXPECT_EQ(kvtest::Ansi("Все настройки сохранены успешно"), StatusText(0));

    RunSheet([&](Sheet& sheet) {
        HWND page = sheet.Page(0);
        EXPECT_FALSE(Sheet::Checked(page, IDC_GEN_SHOW_ICON));
        EXPECT_FALSE(Sheet::Enabled(page, IDC_GEN_MIN_TO_TRAY));
        EXPECT_FALSE(Sheet::Enabled(page, IDC_GEN_CLOSE_TO_TRAY));
        Sheet::Click(page, IDC_GEN_SHOW_ICON, true);
        EXPECT_TRUE(Sheet::Enabled(page, IDC_GEN_MIN_TO_TRAY));
        EXPECT_TRUE(Sheet::Enabled(page, IDC_GEN_CLOSE_TO_TRAY));
        Sheet::Click(page, IDC_GEN_MIN_TO_TRAY, true);
        Sheet::Click(page, IDC_GEN_CLOSE_TO_TRAY, false);
        sheet.Press(PSBTN_OK);
    });
    EXPECT_TRUE(kv::g_app.trayIconAdded);
    EXPECT_EQ(1, FileSetting("General", "ShowIcon"));
    EXPECT_EQ(1, FileSetting("General", "MinimizeToTray"));
    EXPECT_EQ(0, FileSetting("General", "CloseToTray"));
    EXPECT_EQ(1, kv::g_app.settings.ShowIcon);
    EXPECT_EQ(1, kv::g_app.settings.MinimizeToTray);
}

// Each box shows and stores its own key: one key at a time is off when the
// sheet opens, and another one is switched off by the user.
TEST_F(OptionsSheet, ConfirmationPageShowsAndStoresEachKey) {
    const struct {
        int id;
        const char* key;
        int kv::RunningSettings::*running;
    } keys[] = {
        {IDC_CONF_MULTI_DEL, "MultiDel", &kv::RunningSettings::MultiDel},
        {IDC_CONF_SINGLE_DEL, "SingleDel", &kv::RunningSettings::SingleDel},
        {IDC_CONF_MULTI_EDIT, "MultiEdit", &kv::RunningSettings::MultiEdit},
        {IDC_CONF_SINGLE_EDIT, "SingleEdit", &kv::RunningSettings::SingleEdit},
        {IDC_CONF_MULTI_RUN, "MultiRun", &kv::RunningSettings::MultiRun},
        {IDC_CONF_SINGLE_RUN, "SingleRun", &kv::RunningSettings::SingleRun},
        {IDC_CONF_MULTI_OPEN, "MultiOpen", &kv::RunningSettings::MultiOpen},
        {IDC_CONF_SINGLE_OPEN, "SingleOpen", &kv::RunningSettings::SingleOpen},
        {IDC_CONF_RESTORE, "Restore", &kv::RunningSettings::Restore},
    };
    const int count = static_cast<int>(sizeof(keys) / sizeof(keys[0]));
    OpenMainWindow();
    for (int off = 0; off < count; ++off) {
        const int switched = (off + 4) % count;
        for (int i = 0; i < count; ++i) {
            WriteSetting("Confirmation", keys[i].key, i == off ? 0 : 1);
        }
        RunSheet([&](Sheet& sheet) {
            HWND page = sheet.Page(1);
            for (int i = 0; i < count; ++i) {
                EXPECT_EQ(i != off, Sheet::Checked(page, keys[i].id)) << keys[i].key;
            }
            Sheet::Click(page, keys[off].id, true);
            Sheet::Click(page, keys[switched].id, false);
            sheet.Press(PSBTN_OK);
        });
        for (int i = 0; i < count; ++i) {
            const int stored = i == switched ? 0 : 1;
            EXPECT_EQ(stored, FileSetting("Confirmation", keys[i].key)) << keys[i].key;
            EXPECT_EQ(stored, kv::g_app.settings.*keys[i].running) << keys[i].key;
        }
    }
}

TEST_F(OptionsSheet, MonitoringPageKeepsTheMinutesWithinOneToSixty) {
    WriteSetting("Monitoring", "NewMon", 0);
    WriteSetting("Monitoring", "OldMon", 1);
    WriteSetting("Monitoring", "Freq", 17);
    OpenMainWindow();
    RunSheet([&](Sheet& sheet) {
        HWND page = sheet.Page(2);
        EXPECT_FALSE(Sheet::Checked(page, IDC_MON_NEW));
        EXPECT_TRUE(Sheet::Checked(page, IDC_MON_OLD));
        EXPECT_TRUE(Sheet::Checked(page, IDC_MON_KEEP_OFF)); // on when never set
        HWND spin = Spin(page);
        ASSERT_NE(nullptr, spin);
        EXPECT_EQ(17, SpinPosition(spin));
        char text[16] = {};
        GetDlgItemTextA(page, IDC_MON_FREQ, text, static_cast<int>(sizeof(text)));
        EXPECT_STREQ("17", text);
        // The minutes cannot be typed.
        EXPECT_NE(0, GetWindowLongA(GetDlgItem(page, IDC_MON_FREQ), GWL_STYLE) & ES_READONLY);

        Sheet::Click(page, IDC_MON_NEW, true);
        Sheet::Click(page, IDC_MON_OLD, false);
        Sheet::Click(page, IDC_MON_KEEP_OFF, false);
        SendMessageA(spin, UDM_SETPOS32, 0, 59);
        ClickArrow(spin, true);
        EXPECT_EQ(60, SpinPosition(spin));
        ClickArrow(spin, true);
        EXPECT_EQ(60, SpinPosition(spin));
        sheet.Press(PSBTN_APPLYNOW);
        EXPECT_EQ(1, FileSetting("Monitoring", "NewMon"));
        EXPECT_EQ(0, FileSetting("Monitoring", "OldMon"));
        EXPECT_EQ(0, FileSetting("Monitoring", "KeepOff"));
        EXPECT_EQ(0, kv::g_app.settings.KeepOff);
        EXPECT_EQ(60, FileSetting("Monitoring", "Freq"));
        EXPECT_EQ(60, kv::g_app.settings.Freq);
        EXPECT_EQ(1, kv::g_app.settings.NewMon);
        EXPECT_EQ(0, kv::g_app.settings.OldMon);

        SendMessageA(spin, UDM_SETPOS32, 0, 2);
        ClickArrow(spin, false);
        EXPECT_EQ(1, SpinPosition(spin));
        ClickArrow(spin, false);
        EXPECT_EQ(1, SpinPosition(spin));
        sheet.Press(PSBTN_OK);
    });
    EXPECT_EQ(1, FileSetting("Monitoring", "Freq"));
    EXPECT_EQ(1, kv::g_app.settings.Freq);
}

// The tray menu stays usable while the sheet is open: asking for the options
// again opens no second sheet over the first.
TEST_F(OptionsSheet, OneSheetAtATime) {
    OpenMainWindow();
    RunSheet([&](Sheet& sheet) {
        g_secondSheet = false;
        const UINT_PTR watch = SetTimer(nullptr, 0, 10, CloseSecondSheet);
        SendMessageA(window(), WM_COMMAND, MAKEWPARAM(IDM_OPTIONS, 0), 0);
        KillTimer(nullptr, watch);
        EXPECT_FALSE(g_secondSheet);
        EXPECT_EQ(1u, OpenSheets().size());
        sheet.Press(PSBTN_CANCEL);
    });
}

TEST_F(OptionsSheet, CancelWithoutApplyChangesNothing) {
    kvtest::SetValue(HKEY_CURRENT_USER, kRunKey, "Kelvorin", "C:\\Tools\\Kelvorin.exe");
    OpenMainWindow();
    const kv::RunningSettings before = kv::g_app.settings;
    kvtest::StatusBarRecorder recorder;
    recorder.Start();
    RunSheet([&](Sheet& sheet) {
        HWND page = sheet.Page(0);
        Sheet::Click(page, IDC_GEN_AUTOSTART, false);
        Sheet::Click(page, IDC_GEN_SHOW_ICON, false);
        page = sheet.Page(1);
        Sheet::Click(page, IDC_CONF_MULTI_DEL, false);
        page = sheet.Page(2);
        Sheet::Click(page, IDC_MON_NEW, false);
        ClickArrow(Spin(page), true);
        sheet.Press(PSBTN_CANCEL);
    });
    recorder.Stop();
    EXPECT_TRUE(recorder.texts().empty()); // no refresh
    EXPECT_FALSE(kvtest::FileExists(programFolder() + "\\settings.ini"));
    EXPECT_EQ("C:\\Tools\\Kelvorin.exe",
              kvtest::ReadString(HKEY_CURRENT_USER, kRunKey, "Kelvorin"));
    EXPECT_TRUE(kv::g_app.trayIconAdded);
    EXPECT_FALSE(IsWindowVisible(window()));
    EXPECT_EQ(before.ShowIcon, kv::g_app.settings.ShowIcon);
    EXPECT_EQ(before.MultiDel, kv::g_app.settings.MultiDel);
    EXPECT_EQ(before.NewMon, kv::g_app.settings.NewMon);
    EXPECT_EQ(before.Freq, kv::g_app.settings.Freq);
}

} // namespace
