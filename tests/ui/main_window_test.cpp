#include "entries/catalogue.h"
#include "shell/frame/app_state.h"
#include "shell/app/commands.h"
#include "shell/list/entry_list.h"
#include "shell/app/main_window.h"
#include "shell/frame/toolbar.h"
#include "shell/frame/tray.h"
#include "resource.h"

#include "support/main_window_fixture.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstring>
#include <vector>

using kvtest::Ansi;
using kvtest::SetValue;
using kvtest::Utf8;

namespace {

// One entry of a menu as the user sees it.
struct MenuEntry {
    UINT id;          // 0 for a separator or a submenu
    std::string text; // UTF-8; empty for a separator
    bool submenu;
};

const MenuEntry kSeparator{0, "", false};

std::vector<MenuEntry> Entries(HMENU menu) {
    std::vector<MenuEntry> entries;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = sizeof(text);
        GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
        if (info.fType & MFT_SEPARATOR) {
            entries.push_back(kSeparator);
        } else if (info.hSubMenu != nullptr) {
            entries.push_back({0, Utf8(text), true});
        } else {
            entries.push_back({info.wID, Utf8(text), false});
        }
    }
    return entries;
}

void ExpectEntries(const std::vector<MenuEntry>& expected, HMENU menu) {
    const std::vector<MenuEntry> actual = Entries(menu);
    ASSERT_EQ(expected.size(), actual.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(expected[i].id, actual[i].id) << "entry " << i;
        EXPECT_EQ(expected[i].text, actual[i].text) << "entry " << i;
        EXPECT_EQ(expected[i].submenu, actual[i].submenu) << "entry " << i;
    }
}

// What a pop-up menu showed while it was tracked: its entries with their
// enabled state and where it stood on the screen. The menu is read and closed
// from a timer of the test thread, which the menu's own loop serves.
struct ShownMenu {
    std::vector<MenuEntry> entries;
    std::vector<bool> enabled;
    RECT rect{};
    bool seen = false;
};

ShownMenu* g_shown = nullptr;

BOOL CALLBACK FindMenuWindow(HWND window, LPARAM param) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof(name));
    if (std::string(name) == "#32768" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK ReadAndCloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND window = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&window));
    if (window == nullptr || g_shown == nullptr) {
        return;
    }
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
    g_shown->entries = Entries(menu);
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        g_shown->enabled.push_back((state & (MF_GRAYED | MF_DISABLED)) == 0);
    }
    GetWindowRect(window, &g_shown->rect);
    g_shown->seen = true;
    KillTimer(nullptr, timer);
    EndMenu();
}

// Runs the action, which tracks a pop-up menu, and returns what it showed.
template <typename Action> ShownMenu WhileMenuShown(Action action) {
    ShownMenu shown;
    g_shown = &shown;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, ReadAndCloseMenu);
    action();
    KillTimer(nullptr, timer);
    g_shown = nullptr;
    return shown;
}

bool MenuEnabled(HMENU menu, UINT command) {
    const UINT state = GetMenuState(menu, command, MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

class MainWindow : public kvtest::MainWindowTest {
  protected:
    HMENU menu() const { return GetMenu(window()); }
    bool ButtonEnabled(UINT command) const {
        return SendMessageA(kv::g_app.toolBar, TB_ISBUTTONENABLED, command, 0) != 0;
    }
    void Select(int row, bool selected) {
        if (selected) {
            // As a click does: the row becomes the selection mark.
            SendMessageA(list(), LVM_SETSELECTIONMARK, 0, row);
        }
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = selected ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
        SendMessageA(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        kvtest::PumpMessages();
    }
    // The selection-dependent commands: properties, show in registry, then
    // delete, edit, run, terminate, open folder.
    std::vector<bool> MenuStates() const {
        std::vector<bool> states;
        for (UINT command : {IDM_PROPERTIES, IDM_SHOW_IN_REGISTRY, IDM_DELETE, IDM_EDIT, IDM_RUN,
                             IDM_TERMINATE, IDM_OPEN_FOLDER}) {
            states.push_back(MenuEnabled(menu(), command));
        }
        return states;
    }
    std::vector<bool> ButtonStates() const {
        std::vector<bool> states;
        for (UINT command : {IDM_DELETE, IDM_EDIT, IDM_RUN, IDM_TERMINATE, IDM_OPEN_FOLDER}) {
            states.push_back(ButtonEnabled(command));
        }
        return states;
    }
    std::string ToolTip(UINT id) {
        NMTTDISPINFOA request{};
        request.hdr.hwndFrom = nullptr;
        request.hdr.idFrom = id;
        request.hdr.code = TTN_NEEDTEXTA;
        std::memset(request.szText, 'x', sizeof(request.szText) - 1);
        SendMessageA(window(), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&request));
        return Utf8(request.szText);
    }
    void MenuSelect(UINT item, UINT flags, HMENU menuHandle) {
        SendMessageA(window(), WM_MENUSELECT, MAKEWPARAM(item, flags),
                     reinterpret_cast<LPARAM>(menuHandle));
    }
    // Sends a key through the accelerator table as the message loop does.
    bool PressKey(UINT key, bool control) {
        HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCEL));
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        const BYTE saved = keys[VK_CONTROL];
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG message{};
        message.hwnd = list();
        message.message = WM_KEYDOWN;
        message.wParam = key;
        message.lParam = 1;
        const bool translated = TranslateAcceleratorA(window(), table, &message) != 0;
        keys[VK_CONTROL] = saved;
        SetKeyboardState(keys);
        kvtest::PumpMessages();
        return translated;
    }
};

TEST_F(MainWindow, MainMenuMatchesItsTables) {
    OpenMainWindow();
    ExpectEntries(
        {{0, "&Файл", true}, {0, "&Вид", true}, {0, "&Инструменты", true}, {0, "&Помощь", true}},
        menu());
    ExpectEntries({{IDM_ADD, "&Добавить ...\tCtrl+N", false},
                   {IDM_DELETE, "&Удалить\tDel", false},
                   {IDM_EDIT, "&Редактировать ...\tCtrl+E", false},
                   {IDM_DELAY, "От&ложить запуск ...", false},
                   kSeparator,
                   {IDM_SAVE_LIST, "&Сохранить список\tCtrl+S", false},
                   {IDM_SAVE_LIST_AS, "Со&хранить список как ...", false},
                   {IDM_RESTORE_LIST, "&Восстановить список ...\tCtrl+R", false},
                   kSeparator,
                   {IDM_CHECK_CHANGES, "&Проверить изменения\tCtrl+Q", false},
                   kSeparator,
                   {IDM_RUN, "&Запустить программу\tF9", false},
                   {IDM_TERMINATE, "П&рекратить выполнение\tCtrl+Del", false},
                   {IDM_OPEN_FOLDER, "&Открыть папку\tCtrl+O", false},
                   kSeparator,
                   {IDM_PROPERTIES, "Сво&йства ...\tCtrl+P", false},
                   kSeparator,
                   {IDM_EXIT, "В&ыход\tAlt+F4", false}},
                  GetSubMenu(menu(), 0));
    ExpectEntries({{IDM_REFRESH, "&Обновить\tF5", false},
                   kSeparator,
                   {IDM_PRINT, "Напечатать список", false},
                   kSeparator,
                   {IDM_SHOW_IN_REGISTRY, "Просмотр в реестре\tCtrl+J", false},
                   kSeparator,
                   {IDM_ENABLE_ALL, "&Включить всё", false},
                   {IDM_DISABLE_ALL, "&Отключить всё", false},
                   {IDM_SELECT_ALL, "&Выделить всё\tCtrl+A", false},
                   kSeparator,
                   {IDM_SAVE_POSITION, "&Запомнить позицию", false},
                   kSeparator,
                   {IDM_OPTIONS, "&Настройки программы ...", false}},
                  GetSubMenu(menu(), 1));
    HMENU tools = GetSubMenu(menu(), 2);
    ExpectEntries({{IDM_TOOL_REGEDIT, "&Regedit", false},
                   {IDM_TOOL_MSCONFIG, "MS &Configuration", false},
                   {IDM_TOOL_SYSEDIT, "&System editor", false},
                   {IDM_TOOL_SCHEDULER, "&Планировщик заданий", false},
                   kSeparator,
                   {0, "&Системные папки", true},
                   {0, "&Папки автозагрузки", true},
                   kSeparator,
                   {IDM_FILE_WININI, "Файл &Win.ini", false},
                   {IDM_FILE_SYSTEMINI, "Файл S&ystem.ini", false}},
                  tools);
    ExpectEntries({{IDM_FOLDER_SYSTEM, "&System", false}, {IDM_FOLDER_WINDOWS, "&Windows", false}},
                  GetSubMenu(tools, 5));
    ExpectEntries({{IDM_STARTUP_ALL_USERS, "Для \"&Всех Пользователей\"", false},
                   {IDM_STARTUP_CURRENT_USER, "Для \"&Текущего Пользователя\"", false}},
                  GetSubMenu(tools, 6));
    ExpectEntries({{IDM_HELP_CONTENTS, "&Содержание\tF1", false},
                   kSeparator,
                   {IDM_MAIL_AUTHOR, "Написать письмо автору", false},
                   {IDM_WEBSITE, "Веб-сайт программы", false},
                   kSeparator,
                   {IDM_ABOUT, "&О программе Kelvorin ...", false}},
                  GetSubMenu(menu(), 3));
    // The images of the window, and the process functions of this system.
    EXPECT_EQ(2, ImageList_GetImageCount(kv::g_app.sortMarkers.get()));
    EXPECT_EQ(5, ImageList_GetImageCount(kv::g_app.groupImages.get()));
    EXPECT_TRUE(kv::g_app.ProcessListAvailable);
    // This system is Windows 2000 or later: the task scheduler is there.
    EXPECT_TRUE(MenuEnabled(menu(), IDM_TOOL_SCHEDULER));
}

TEST_F(MainWindow, ContextTrayAndFolderMenus) {
    OpenMainWindow();
    HMENU context = kv::BuildListContextMenu();
    ExpectEntries({{IDM_ADD, "&Добавить ...\tCtrl+N", false},
                   {IDM_DELETE, "&Удалить\tDel", false},
                   {IDM_EDIT, "&Редактировать ...\tCtrl+E", false},
                   {IDM_DELAY, "От&ложить запуск ...", false},
                   kSeparator,
                   {IDM_CHECK_CHANGES, "&Проверить изменения\tCtrl+Q", false},
                   {IDM_REFRESH, "&Обновить\tF5", false},
                   kSeparator,
                   {IDM_RUN, "&Запустить программу\tF9", false},
                   {IDM_TERMINATE, "&Прекратить выполнение\tCtrl+Del", false},
                   {IDM_OPEN_FOLDER, "&Открыть папку\tCtrl+O", false},
                   kSeparator,
                   {IDM_SHOW_IN_REGISTRY, "Просмотр в реестре\tCtrl+J", false},
                   kSeparator,
                   {IDM_PROPERTIES, "&Свойства ...\tCtrl+P", false}},
                  context);
    DestroyMenu(context);

    HMENU tray = kv::BuildTrayMenu();
    ExpectEntries({{IDM_SHOW_WINDOW, "Показать Kelvorin", false},
                   {IDM_CHECK_CHANGES, "&Проверить изменения\tCtrl+Q", false},
                   kSeparator,
                   {IDM_OPTIONS, "Настройки ...", false},
                   kSeparator,
                   {IDM_ABOUT, "О программе Kelvorin", false},
                   kSeparator,
                   {IDM_EXIT, "Выход", false}},
                  tray);
    EXPECT_EQ(static_cast<UINT>(IDM_SHOW_WINDOW), GetMenuDefaultItem(tray, FALSE, 0));
    DestroyMenu(tray);

    HMENU folders = kv::BuildStartupFolderMenu();
    ExpectEntries({{IDM_STARTUP_ALL_USERS, "Для \"&Всех Пользователей\"", false},
                   {IDM_STARTUP_CURRENT_USER, "Для \"&Текущего Пользователя\"", false}},
                  folders);
    DestroyMenu(folders);
}

TEST_F(MainWindow, AcceleratorTableHoldsEveryKey) {
    HACCEL table = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCEL));
    ASSERT_NE(nullptr, table);
    ACCEL entries[32] = {};
    const int count = CopyAcceleratorTableA(table, entries, 32);
    struct Key {
        WORD key;
        bool control;
        WORD command;
    };
    const Key expected[] = {
        {'P', true, IDM_PROPERTIES},
        {'R', true, IDM_RESTORE_LIST},
        {'S', true, IDM_SAVE_LIST},
        {VK_DELETE, true, IDM_TERMINATE},
        {VK_F1, false, IDM_HELP_CONTENTS},
        {'A', true, IDM_SELECT_ALL},
        {'Q', true, IDM_CHECK_CHANGES},
        {VK_DELETE, false, IDM_DELETE},
        {'E', true, IDM_EDIT},
        {'N', true, IDM_ADD},
        {'O', true, IDM_OPEN_FOLDER},
        {VK_F9, false, IDM_RUN},
        {VK_RETURN, false, IDM_RUN},
        {VK_F5, false, IDM_REFRESH},
        {'J', true, IDM_SHOW_IN_REGISTRY},
    };
    ASSERT_EQ(15, count);
    for (int i = 0; i < count; ++i) {
        EXPECT_TRUE(entries[i].fVirt & FVIRTKEY) << i;
        EXPECT_EQ(expected[i].key, entries[i].key) << i;
        EXPECT_EQ(expected[i].control, (entries[i].fVirt & FCONTROL) != 0) << i;
        EXPECT_EQ(0, entries[i].fVirt & (FALT | FSHIFT)) << i;
        EXPECT_EQ(expected[i].command, entries[i].cmd) << i;
    }
}

TEST_F(MainWindow, AcceleratorsReachTheirCommands) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "one", "one.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "two", "two.exe");
    OpenMainWindow();
    ASSERT_EQ(2, kv::RowCount());

    // Ctrl+A selects every row.
    EXPECT_TRUE(PressKey('A', true));
    EXPECT_EQ(2, kv::SelectedCount());

    // F5 refreshes: a row added meanwhile shows up.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "three", "three.exe");
    kvtest::StatusBarRecorder recorder;
    recorder.Start();
    EXPECT_TRUE(PressKey(VK_F5, false));
    recorder.Stop();
    EXPECT_EQ(3, kv::RowCount());
    ASSERT_FALSE(recorder.texts().empty());
    EXPECT_EQ(Ansi("Сканирую реестр, ждите ..."), recorder.texts().front());

    // A key outside the table is left to the window it was meant for.
    EXPECT_FALSE(PressKey('A', false));
}

TEST_F(MainWindow, SelectionCommandsFollowTheSelection) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "registry", "r.exe");
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunKey, "other", "o.exe");
    OpenMainWindow();
    ASSERT_EQ(2, kv::RowCount());
    const int registry = RowWithTitle("registry");
    const int other = RowWithTitle("other");

    // After the first scan nothing is selected: every such command is grey.
    EXPECT_EQ(std::vector<bool>(7, false), MenuStates());
    EXPECT_EQ(std::vector<bool>(5, false), ButtonStates());
    // The commands that need no selection stay enabled.
    EXPECT_TRUE(MenuEnabled(menu(), IDM_ADD));
    EXPECT_TRUE(ButtonEnabled(IDM_ADD));
    EXPECT_TRUE(MenuEnabled(menu(), IDM_REFRESH));

    // One registry row: all seven.
    Select(registry, true);
    EXPECT_EQ(std::vector<bool>(7, true), MenuStates());
    EXPECT_EQ(std::vector<bool>(5, true), ButtonStates());

    // Two rows: properties and the registry jump are grey again.
    Select(other, true);
    EXPECT_EQ((std::vector<bool>{false, false, true, true, true, true, true}), MenuStates());
    EXPECT_EQ(std::vector<bool>(5, true), ButtonStates());

    // None again.
    Select(registry, false);
    Select(other, false);
    EXPECT_EQ(std::vector<bool>(7, false), MenuStates());
    EXPECT_EQ(std::vector<bool>(5, false), ButtonStates());

    // The context menu follows the same rules.
    Select(registry, true);
    HMENU context = kv::BuildListContextMenu();
    kv::UpdateSelectionCommands(context);
    EXPECT_TRUE(MenuEnabled(context, IDM_SHOW_IN_REGISTRY));
    EXPECT_TRUE(MenuEnabled(context, IDM_PROPERTIES));
    EXPECT_TRUE(MenuEnabled(context, IDM_RUN));
    EXPECT_TRUE(MenuEnabled(context, IDM_ADD));
    DestroyMenu(context);

    // A refresh empties the list: everything selection-dependent is grey.
    SendCommand(IDM_REFRESH);
    EXPECT_EQ(std::vector<bool>(7, false), MenuStates());
    EXPECT_EQ(std::vector<bool>(5, false), ButtonStates());
}

TEST_F(MainWindow, RegistryJumpOnlyForRegistryRows) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "registry", "r.exe");
    OpenMainWindow();
    // Rows of other kinds of location, in either case of the letters.
    kv::AddEntryRow("folder", "f.exe", "C:\\Startup", 0);
    kv::AddEntryRow("winini", "w.exe", "section: [windows]; parameter: run", 0);
    kv::AddEntryRow("lower", "l.exe", "hkcu\\software\\microsoft\\windows\\currentversion\\run", 0);
    kv::AddEntryRow("section", "s.exe",
                    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\Sec", 0);
    // Begins like a registry location but names no startup key.
    kv::AddEntryRow("elsewhere", "e.exe", "HKCU\\Software\\Elsewhere", 0);
    kvtest::PumpMessages();
    struct Case {
        const char* title;
        bool jump;
    };
    for (const Case& c : {Case{"registry", true}, Case{"folder", false}, Case{"winini", false},
                          Case{"lower", true}, Case{"section", true}, Case{"elsewhere", false}}) {
        for (int row = 0; row < kv::RowCount(); ++row) {
            Select(row, false);
        }
        Select(RowWithTitle(c.title), true);
        EXPECT_EQ(c.jump, MenuEnabled(menu(), IDM_SHOW_IN_REGISTRY)) << c.title;
        EXPECT_TRUE(MenuEnabled(menu(), IDM_PROPERTIES)) << c.title;
    }
}

TEST_F(MainWindow, RightClickShowsTheContextMenuForTheSelection) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "registry", "r.exe");
    OpenMainWindow();
    Select(0, true);
    const ShownMenu shown = WhileMenuShown([this] {
        NMHDR click{list(), 0, static_cast<UINT>(NM_RCLICK)};
        SendMessageA(window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    });
    ASSERT_TRUE(shown.seen);
    ASSERT_EQ(15u, shown.entries.size());
    EXPECT_EQ(static_cast<UINT>(IDM_ADD), shown.entries[0].id);
    EXPECT_EQ(static_cast<UINT>(IDM_PROPERTIES), shown.entries[14].id);
    // One registry row selected: everything enabled.
    for (std::size_t i = 0; i < shown.entries.size(); ++i) {
        if (shown.entries[i].id != 0) {
            EXPECT_TRUE(shown.enabled[i]) << i;
        }
    }

    Select(0, false);
    const ShownMenu none = WhileMenuShown([this] {
        NMHDR click{list(), 0, static_cast<UINT>(NM_RCLICK)};
        SendMessageA(window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&click));
    });
    ASSERT_TRUE(none.seen);
    ASSERT_EQ(15u, none.entries.size());
    EXPECT_TRUE(none.enabled[0]);   // add
    EXPECT_FALSE(none.enabled[1]);  // delete
    EXPECT_FALSE(none.enabled[3]);  // delay
    EXPECT_TRUE(none.enabled[6]);   // refresh
    EXPECT_FALSE(none.enabled[8]);  // run
    EXPECT_FALSE(none.enabled[12]); // show in registry
    EXPECT_FALSE(none.enabled[14]); // properties
}

TEST_F(MainWindow, FolderButtonOpensItsMenuBelowItself) {
    OpenMainWindow();
    ShowWindow(window(), SW_SHOWNORMAL);
    kvtest::PumpMessages();
    RECT button{};
    ASSERT_TRUE(
        SendMessageA(kv::g_app.toolBar, TB_GETITEMRECT, 11, reinterpret_cast<LPARAM>(&button)));
    POINT corner{button.left, button.bottom};
    ClientToScreen(kv::g_app.toolBar, &corner);
    const ShownMenu shown = WhileMenuShown([this] { SendCommand(IDM_STARTUP_FOLDER_MENU); });
    ASSERT_TRUE(shown.seen);
    ASSERT_EQ(2u, shown.entries.size());
    EXPECT_EQ(static_cast<UINT>(IDM_STARTUP_ALL_USERS), shown.entries[0].id);
    EXPECT_EQ(static_cast<UINT>(IDM_STARTUP_CURRENT_USER), shown.entries[1].id);
    EXPECT_EQ(corner.x, shown.rect.left);
    EXPECT_EQ(corner.y, shown.rect.top);
}

TEST_F(MainWindow, RightButtonOnTheTrayIconShowsItsMenu) {
    OpenMainWindow();
    const ShownMenu shown = WhileMenuShown(
        [this] { SendMessageA(window(), KV_TRAY_MESSAGE, KV_TRAY_ID, WM_RBUTTONDOWN); });
    ASSERT_TRUE(shown.seen);
    ASSERT_EQ(8u, shown.entries.size());
    EXPECT_EQ(static_cast<UINT>(IDM_SHOW_WINDOW), shown.entries[0].id);
    EXPECT_EQ(static_cast<UINT>(IDM_EXIT), shown.entries[7].id);
    EXPECT_TRUE(IsWindow(window())); // closed without a choice: nothing happens
}

TEST_F(MainWindow, StatusTextsFollowSelectionAndMenus) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "one", "one.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "two", "two.exe");
    OpenMainWindow();
    const std::string f1 = Ansi("Для справки нажмите F1");
    EXPECT_EQ(Ansi("Всего программ: 2 (отключено: 0, выделено: 0)"), StatusText(1));

    // One row of a program without a version resource: its title.
    Select(RowWithTitle("two"), true);
    EXPECT_EQ("two", StatusText(0));
    EXPECT_EQ(Ansi("Всего программ: 2 (отключено: 0, выделено: 1)"), StatusText(1));
    Select(RowWithTitle("one"), true);
    EXPECT_EQ(f1, StatusText(0));
    EXPECT_EQ(Ansi("Всего программ: 2 (отключено: 0, выделено: 2)"), StatusText(1));

    // Menu hints in the left part.
    struct Hint {
        UINT command;
        const char* text;
    };
    for (const Hint& hint :
         {Hint{IDM_ADD, "Добавить новую программу в список автозагрузки"},
          Hint{IDM_SAVE_LIST, "Cохранить список автозагрузки"},
          Hint{IDM_PROPERTIES, "Показать свойства файла"}, Hint{IDM_EXIT, "Выйти из программы"},
          Hint{IDM_SHOW_IN_REGISTRY, "Открыть реестр и автоматически найти заданный ключ"},
          Hint{IDM_TOOL_SCHEDULER,
               "Запустить системный планировщик заданий. Только для Windows 2000/XP"},
          Hint{IDM_STARTUP_ALL_USERS, "Просмотреть папку автозагрузки для \"Всех Пользователей\""},
          Hint{IDM_FILE_SYSTEMINI, "Открыть файл \"System.ini\""},
          Hint{IDM_MAIL_AUTHOR, "Написать письмо автору на kelvorin@example.org"},
          Hint{IDM_WEBSITE, "Посетить официальный сайт программы https://kelvorin.example.org/"},
          Hint{IDM_SHOW_WINDOW, "Показать главное окно Kelvorin"}}) {
        MenuSelect(hint.command, MF_HILITE, menu());
        EXPECT_EQ(Ansi(hint.text), StatusText(0)) << hint.command;
    }
    // A submenu entry, an unknown command and the closing menu: the F1 text.
    MenuSelect(IDM_ADD, MF_HILITE, menu());
    MenuSelect(0, MF_POPUP | MF_HILITE, menu());
    EXPECT_EQ(f1, StatusText(0));
    MenuSelect(IDM_ADD, MF_HILITE, menu());
    MenuSelect(12345, MF_HILITE, menu());
    EXPECT_EQ(f1, StatusText(0));
    MenuSelect(IDM_ADD, MF_HILITE, menu());
    MenuSelect(0, 0xFFFF, nullptr);
    EXPECT_EQ(f1, StatusText(0));
}

TEST_F(MainWindow, OwnProgramShowsItsDescription) {
    // The test program carries the program's version resource.
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "self", std::string("\"") + path + "\" /x");
    OpenMainWindow();
    Select(0, true);
    EXPECT_EQ(Ansi("Kelvorin - менеджер автозагрузки"), StatusText(0));
}

TEST_F(MainWindow, ToolTipsOfTheToolBar) {
    OpenMainWindow();
    EXPECT_EQ("Добавить новую программу в список автозагрузки", ToolTip(IDM_ADD));
    EXPECT_EQ("Обновить список автозагрузки", ToolTip(IDM_REFRESH));
    EXPECT_EQ("Открыть папку автозагрузки", ToolTip(IDM_STARTUP_FOLDER_MENU));
    EXPECT_EQ("Открыть файл \"Win.ini\"", ToolTip(IDM_FILE_WININI));
    EXPECT_EQ("Напечатать список автозагрузки", ToolTip(IDM_PRINT));
    EXPECT_EQ("Запустить все выбранные программы с указанными параметрами", ToolTip(IDM_RUN));
    // As the tool bar's own tool-tip control asks for them.
    HWND tips = reinterpret_cast<HWND>(SendMessageA(kv::g_app.toolBar, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(nullptr, tips);
    char text[100] = {};
    TOOLINFOA tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = kv::g_app.toolBar;
    tool.uId = IDM_DELETE;
    tool.lpszText = text;
    SendMessageA(tips, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ("Удалить выбранные программы из списка автозагрузки", Utf8(text));
    // Not on the tool bar, and no id at all: an empty tip, not stale text.
    EXPECT_EQ("", ToolTip(IDM_OPTIONS));
    EXPECT_EQ("", ToolTip(0));
}

TEST_F(MainWindow, ToolBarInItsRebarAboveTheList) {
    OpenMainWindow();
    HWND bar = kv::g_app.toolBar;
    ASSERT_NE(nullptr, bar);
    ASSERT_NE(nullptr, kv::g_app.rebar);
    EXPECT_EQ(kv::g_app.rebar, GetParent(bar));
    ASSERT_EQ(16, SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    const int commands[16] = {IDM_ADD,           IDM_DELETE,      IDM_EDIT, 0,
                              IDM_CHECK_CHANGES, IDM_REFRESH,     0,        IDM_RUN,
                              IDM_TERMINATE,     IDM_OPEN_FOLDER, 0,        IDM_STARTUP_FOLDER_MENU,
                              IDM_TOOL_REGEDIT,  IDM_FILE_WININI, 0,        IDM_PRINT};
    for (int i = 0; i < 16; ++i) {
        TBBUTTON button{};
        ASSERT_TRUE(SendMessageA(bar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button)));
        if (commands[i] == 0) {
            EXPECT_TRUE(button.fsStyle & BTNS_SEP) << i;
        } else {
            EXPECT_EQ(commands[i], button.idCommand) << i;
            EXPECT_EQ(i, button.iBitmap) << i;
        }
    }
    const LONG_PTR style = GetWindowLongPtrA(bar, GWL_STYLE);
    for (LONG_PTR bit : {LONG_PTR{TBSTYLE_FLAT}, LONG_PTR{TBSTYLE_TRANSPARENT},
                         LONG_PTR{TBSTYLE_TOOLTIPS}, LONG_PTR{CCS_NODIVIDER}}) {
        EXPECT_TRUE(style & bit) << std::hex << bit;
    }

    // One band, at least 540 by 22.
    ASSERT_EQ(1, SendMessageA(kv::g_app.rebar, RB_GETBANDCOUNT, 0, 0));
    REBARBANDINFOA band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE;
    ASSERT_TRUE(SendMessageA(kv::g_app.rebar, RB_GETBANDINFOA, 0, reinterpret_cast<LPARAM>(&band)));
    EXPECT_EQ(bar, band.hwndChild);
    EXPECT_EQ(540u, band.cxMinChild);
    EXPECT_EQ(22u, band.cyMinChild);
    EXPECT_TRUE(band.fStyle & RBBS_CHILDEDGE);
    EXPECT_TRUE(band.fStyle & RBBS_NOVERT);

    // Layout: rebar on top at its own height, the list below it down to the
    // status bar.
    kv::LayoutMainWindow(700, 400);
    const int r = kv::RebarHeight();
    EXPECT_GE(r, 22);
    RECT rect{};
    GetWindowRect(kv::g_app.rebar, &rect);
    MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(700, rect.right - rect.left);
    GetWindowRect(list(), &rect);
    MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(r, rect.top);
    EXPECT_EQ(380, rect.bottom);
    EXPECT_EQ(700, rect.right - rect.left);

    // The rebar reports a new height: the list moves with it.
    SetWindowPos(window(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    NMHDR change{kv::g_app.rebar, 0, static_cast<UINT>(RBN_HEIGHTCHANGE)};
    SendMessageA(window(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    RECT client{};
    GetClientRect(window(), &client);
    GetWindowRect(list(), &rect);
    MapWindowPoints(nullptr, window(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(kv::RebarHeight(), rect.top);
    EXPECT_EQ(client.bottom - 20, rect.bottom);
    EXPECT_EQ(client.right, rect.right - rect.left);
}

TEST_F(MainWindow, SavedColumnLayoutIsUsed) {
    WriteSetting("ListView", "One", 3);
    WriteSetting("ListView", "Two", 0);
    WriteSetting("ListView", "Three", 2);
    WriteSetting("ListView", "Four", 1);
    WriteSetting("ListView", "WidthOne", 120);
    WriteSetting("ListView", "WidthFour", 99);
    OpenMainWindow();
    int order[4] = {};
    SendMessageA(list(), LVM_GETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order));
    EXPECT_EQ((std::vector<int>{3, 0, 2, 1}), std::vector<int>(order, order + 4));
    EXPECT_EQ(120, SendMessageA(list(), LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_EQ(280, SendMessageA(list(), LVM_GETCOLUMNWIDTH, 1, 0));
    EXPECT_EQ(99, SendMessageA(list(), LVM_GETCOLUMNWIDTH, 3, 0));
}

TEST_F(MainWindow, ABrokenSavedColumnOrderFallsBackToTheNaturalOne) {
    WriteSetting("ListView", "One", 0);
    WriteSetting("ListView", "Two", 0);
    WriteSetting("ListView", "Three", 7);
    WriteSetting("ListView", "Four", -1);
    OpenMainWindow();
    int order[4] = {};
    SendMessageA(list(), LVM_GETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order));
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), std::vector<int>(order, order + 4));
}

TEST_F(MainWindow, CommandsThatWorkNow) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "one", "one.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "two", "two.exe");
    OpenMainWindow();
    SendCommand(IDM_SELECT_ALL);
    EXPECT_EQ(2, kv::SelectedCount());

    const std::string settings = programFolder() + "\\settings.ini";
    ASSERT_FALSE(kvtest::FileExists(settings));
    SetWindowPos(window(), nullptr, 10, 20, 700, 500, SWP_NOZORDER);
    SendCommand(IDM_SAVE_POSITION);
    EXPECT_EQ(10, static_cast<int>(GetPrivateProfileIntA("Common", "Left", -1, settings.c_str())));
    EXPECT_EQ(520,
              static_cast<int>(GetPrivateProfileIntA("Common", "Bottom", -1, settings.c_str())));
    EXPECT_EQ(
        167, static_cast<int>(GetPrivateProfileIntA("ListView", "WidthOne", -1, settings.c_str())));

    // An unknown command number changes nothing.
    SendCommand(54321u);
    EXPECT_TRUE(IsWindow(window()));
    EXPECT_EQ(2, kv::RowCount());
    EXPECT_EQ(2, kv::SelectedCount());

    SendCommand(IDM_EXIT);
    EXPECT_FALSE(IsWindow(window()));
    EXPECT_EQ(nullptr, kv::g_app.mainWindow);
}

} // namespace
