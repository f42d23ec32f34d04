#include "shell/app/main_window.h"

#include "base/strings.h"
#include "entries/processes.h"
#include "records/settings_store.h"
#include "shell/frame/app_state.h"
#include "shell/actions/change_check.h"
#include "shell/app/commands.h"
#include "shell/app/delayed_starts_run.h"
#include "shell/actions/dropped_files.h"
#include "shell/list/entry_list.h"
#include "shell/app/menu_hints.h"
#include "shell/frame/monitoring_timer.h"
#include "shell/app/notifications.h"
#include "shell/list/scan_driver.h"
#include "shell/frame/toolbar.h"
#include "shell/frame/tray.h"
#include "shell/app/window_layout.h"
#include "resource.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

namespace kv {

const char* const kMainWindowClass = "Arrow";
const char* const kMainWindowTitle = "Kelvorin";

namespace {

// Column headings in creation order.
const UINT kColumnHeadings[4] = {IDS_COL_TITLE, IDS_COL_COMMAND, IDS_COL_STATUS, IDS_COL_LOCATION};

void LookUpProcessFunctions() {
    g_app.ProcessListAvailable = ProcessFunctionsAvailable();
}

HICON LoadSmallIcon(UINT id) {
    return static_cast<HICON>(
        LoadImageA(g_app.instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
}

HIMAGELIST MakeImageList(const UINT* icons, int count) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, count, 0);
    for (int i = 0; i < count; ++i) {
        const UniqueIcon icon(LoadSmallIcon(icons[i]));
        ImageList_ReplaceIcon(list, -1, icon.get());
    }
    return list;
}

// The saved display order of the columns, when it names each column once;
// otherwise the creation order.
void ApplySavedColumnOrder() {
    int order[4];
    bool seen[4] = {false, false, false, false};
    bool valid = true;
    for (int i = 0; i < 4; ++i) {
        order[i] = ReadLayoutSetting(kLayoutOrderFirst + i);
        if (order[i] < 0 || order[i] > 3 || seen[order[i]]) {
            valid = false;
            break;
        }
        seen[order[i]] = true;
    }
    if (!valid) {
        for (int i = 0; i < 4; ++i) {
            order[i] = i;
        }
    }
    SendMessageA(g_app.entryList, LVM_SETCOLUMNORDERARRAY, 4, reinterpret_cast<LPARAM>(order));
}

void CreateEntryList(HWND window) {
    g_app.entryList =
        CreateWindowExA(WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, WC_LISTVIEWA, "",
                        WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_OWNERDATA, 0,
                        0, 500, 500, window, nullptr, g_app.instance, nullptr);
    const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_HEADERDRAGDROP |
                           LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    SendMessageA(g_app.entryList, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    // The rows live in the program (g_app.rows): the list keeps only their
    // number, the selection and the focus, and asks for the check boxes too.
    SendMessageA(g_app.entryList, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    TakeDropsOnEntryList(g_app.entryList);
}

// The task scheduler needs Windows 2000 or later.
void GreySchedulerOnOldSystems(HWND window) {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    if (GetVersionExA(&version) && version.dwMajorVersion < 5) {
        EnableMenuItem(GetMenu(window), IDM_TOOL_SCHEDULER, MF_BYCOMMAND | MF_GRAYED);
    }
}

void AttachImageLists() {
    // Row icons come from the shell's system image list of small icons.
    SHFILEINFOA info{};
    const HIMAGELIST system = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoA("C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    SendMessageA(g_app.entryList, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(system));

    // Header images: the sort markers, descending first, ascending second.
    if (!g_app.sortMarkers) {
        const UINT markers[2] = {IDI_SORT_DESC, IDI_SORT_ASC};
        g_app.sortMarkers.Reset(MakeImageList(markers, 2));
    }
    HWND header = reinterpret_cast<HWND>(SendMessageA(g_app.entryList, LVM_GETHEADER, 0, 0));
    SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_app.sortMarkers.get()));
}

void InsertColumns() {
    for (int column = 0; column < 4; ++column) {
        const std::string heading = LoadText(kColumnHeadings[column]);
        LVCOLUMNA col{};
        col.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.fmt = LVCFMT_LEFT | LVCFMT_BITMAP_ON_RIGHT;
        col.cx = ReadLayoutSetting(kLayoutWidthFirst + column);
        col.pszText = const_cast<char*>(heading.c_str());
        col.iSubItem = column;
        SendMessageA(g_app.entryList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&col));
    }
    ApplySavedColumnOrder();
    // The title column starts with the ascending marker; the first scan
    // replaces it with the marker of its own sort.
    ShowSortMarker(kColumnTitle, true);
}

void CreateStatusBar(HWND window) {
    const std::string help = LoadText(IDS_HELP_F1);
    g_app.statusBar = CreateWindowExA(0, STATUSCLASSNAMEA, help.c_str(),
                                      WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_NORESIZE, 0, 0,
                                      0, 0, window, nullptr, g_app.instance, nullptr);
}

void CreateGroupImages() {
    if (!g_app.groupImages) {
        const UINT groups[5] = {IDI_GROUP_REGISTRY, IDI_GROUP_ALL, IDI_GROUP_STARTUP,
                                IDI_GROUP_WININI, IDI_GROUP_FOLDER};
        g_app.groupImages.Reset(MakeImageList(groups, 5));
    }
}

void OnCreate(HWND window) {
    g_app.mainWindow = window;
    LookUpProcessFunctions();
    LoadMonitoringSettings(g_app.settings);
    LoadConfirmationSettings(g_app.settings);

    FillTrayIconRecord(window);
    LoadGeneralSettings(g_app.settings);
    if (g_app.settings.ShowIcon != 0) {
        AddTrayIcon();
    }
    g_app.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES;
    InitCommonControlsEx(&controls);

    CreateEntryList(window);
    GreySchedulerOnOldSystems(window);
    AttachImageLists();
    InsertColumns();
    CreateStatusBar(window);
    CreateRebar(window);
    CreateToolBar(window);
    CreateGroupImages();
    InsertToolBarBand();

    // Lay the controls out now, so the status bar has both parts before the
    // first scan writes the count text into the right one.
    RECT client{};
    GetClientRect(window, &client);
    LayoutMainWindow(client.right, client.bottom);

    // The delayed entries' starts are timed from here on, so that the
    // questions of the start-up check never hold them back.
    if (g_app.startsDelayedEntries) {
        BeginDelayedStarts(g_app.startTick);
    }
    // The start-up check scans the startup set and compares it with the
    // snapshot of the last run.
    CheckForChanges(CheckMode::StartUp);
    // Delayed entries wait for the program's own autostart value: the user
    // is told at once when it is gone.
    OfferOwnStartValueBack();
    SetFocus(g_app.entryList);
    StartMonitoringTimer();
    StartLocationWatch();
}

// The image lists outlive the controls that show them until the window has
// gone with all its children; the next window makes new ones.
void OnFinalDestroy() {
    g_app.sortMarkers.Reset();
    g_app.groupImages.Reset();
}

void OnDestroy() {
    StopDelayedStarts();
    RemoveTrayIcon();
    SaveChangeSnapshot();
    StopLocationWatch();
    StopMonitoringTimer();
    SaveWindowLayout(CurrentWindowLayout());
    g_app.instanceMutex.Reset();
    g_app.entryList = nullptr;
    g_app.statusBar = nullptr;
    g_app.rebar = nullptr;
    g_app.toolBar = nullptr;
    g_app.mainWindow = nullptr;
    PostQuitMessage(0);
}

// Minimise and close requests: into the tray when the settings, read afresh,
// ask for it. The window is hidden only while the shell really holds a tray
// icon to bring it back: the setting alone is not enough, the shell may have
// refused the icon.
LRESULT OnSysCommand(HWND window, WPARAM wParam, LPARAM lParam) {
    switch (wParam & 0xFFF0) {
    case SC_MINIMIZE:
        ShowWindow(window, SW_MINIMIZE);
        LoadGeneralSettings(g_app.settings);
        if (g_app.settings.ShowIcon != 0 && g_app.settings.MinimizeToTray != 0 &&
            g_app.trayIconAdded) {
            ShowWindow(window, SW_HIDE);
        }
        return 0;
    case SC_CLOSE:
        LoadGeneralSettings(g_app.settings);
        if (g_app.settings.ShowIcon != 0 && g_app.settings.CloseToTray != 0 &&
            g_app.trayIconAdded) {
            ShowWindow(window, SW_HIDE);
        } else {
            DestroyWindow(window);
        }
        return 0;
    default:
        return DefWindowProcA(window, WM_SYSCOMMAND, wParam, lParam);
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_NCDESTROY:
        OnFinalDestroy();
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_SIZE:
        LayoutMainWindow(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_ACTIVATE:
        SetFocus(g_app.entryList);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        // The session really ends (log-off or shut-down): end as the exit
        // command does, so the destruction saves what a normal exit saves
        // before the system ends the process.
        if (wParam != FALSE) {
            DestroyWindow(window);
        }
        return 0;
    case WM_ERASEBKGND:
        return 1; // the children cover the client area
    case WM_NOTIFY:
        // A rebar that changed its height needs the controls laid out anew.
        if (reinterpret_cast<const NMHDR*>(lParam)->code == RBN_HEIGHTCHANGE) {
            RECT client{};
            GetClientRect(window, &client);
            LayoutMainWindow(client.right, client.bottom);
        }
        return HandleNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND:
        ExecuteCommand(LOWORD(wParam));
        return 0;
    case WM_SYSCOMMAND:
        return OnSysCommand(window, wParam, lParam);
    case WM_TIMER:
        if (wParam == KV_MONITOR_TIMER) {
            OnMonitoringTick();
        } else if (wParam == KV_WATCH_TIMER) {
            OnWatchQuiet();
        } else if (wParam == KV_DELAY_TIMER) {
            OnDelayedStartTimer();
        }
        return 0;
    case KV_WATCH_MESSAGE:
        OnWatchNotice();
        return 0;
    case WM_MENUSELECT:
        HandleMenuSelect(wParam, lParam);
        return 0;
    case KV_TRAY_MESSAGE:
        HandleTrayCallback(static_cast<UINT>(lParam));
        return 0;
    default:
        if (message != 0 && message == g_app.taskbarCreatedMessage) {
            // A new task bar has an empty notification area.
            if (g_app.settings.ShowIcon != 0 || g_app.trayIconAdded) {
                AddTrayIcon();
            }
            // A window hidden in the tray stays reachable when its icon
            // could not be put back.
            if (!g_app.trayIconAdded && !IsWindowVisible(window)) {
                ShowWindow(window, SW_SHOW);
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

bool RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN));
    windowClass.hIconSm = LoadIconA(instance, MAKEINTRESOURCEA(IDI_SMALL));
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1);
    windowClass.lpszMenuName = MAKEINTRESOURCEA(IDR_MAINMENU);
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateMainWindow(HINSTANCE instance, int x, int y, int width, int height) {
    g_app.instance = instance;
    return CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, WS_OVERLAPPEDWINDOW, x, y, width,
                           height, nullptr, nullptr, instance, nullptr);
}

void LayoutMainWindow(int width, int height) {
    SetStatusBarParts(width);
    if (g_app.toolBar != nullptr) {
        SendMessageA(g_app.toolBar, TB_AUTOSIZE, 0, 0);
    }
    const int rebarHeight = RebarHeight();
    MoveWindow(g_app.entryList, 0, rebarHeight, width, height - rebarHeight - kStatusBarHeight,
               TRUE);
    MoveWindow(g_app.statusBar, 0, height - kStatusBarHeight, width, kStatusBarHeight, TRUE);
    if (g_app.rebar != nullptr) {
        MoveWindow(g_app.rebar, 0, 0, width, rebarHeight, TRUE);
    }
}

} // namespace kv
