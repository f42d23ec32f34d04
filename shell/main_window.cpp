#include "shell/main_window.h"

#include "shell/app_state.h"
#include "shell/entry_list.h"
#include "shell/notifications.h"
#include "shell/scan_driver.h"
#include "shell/strings.h"
#include "resource.h"

#include <commctrl.h>
#include <shellapi.h>

namespace kv {

const char* const kMainWindowClass = "Arrow";
const char* const kMainWindowTitle = "Kelvorin";

namespace {

struct ColumnSpec {
    UINT heading;
    int width;
};

// Columns in creation order, with their default widths.
const ColumnSpec kColumns[4] = {
    {IDS_COL_TITLE, 167},
    {IDS_COL_COMMAND, 280},
    {IDS_COL_STATUS, 85},
    {IDS_COL_LOCATION, 308},
};

void CreateEntryList(HWND window) {
    g_app.entryList = CreateWindowExA(
        WS_EX_CLIENTEDGE | WS_EX_ACCEPTFILES, WC_LISTVIEWA, "",
        WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS, 0, 0, 500, 500, window,
        nullptr, g_app.instance, nullptr);
    const DWORD extended = LVS_EX_GRIDLINES | LVS_EX_CHECKBOXES | LVS_EX_HEADERDRAGDROP |
                           LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP;
    SendMessageA(g_app.entryList, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);

    // Row icons come from the shell's system image list of small icons.
    SHFILEINFOA info{};
    const HIMAGELIST system = reinterpret_cast<HIMAGELIST>(SHGetFileInfoA(
        "C:\\", 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    SendMessageA(g_app.entryList, LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(system));

    // Header images: the sort markers, descending first, ascending second.
    if (g_app.sortMarkers == nullptr) {
        g_app.sortMarkers = ImageList_Create(16, 16, ILC_COLOR8 | ILC_MASK, 2, 0);
        const UINT markers[2] = {IDI_SORT_DESC, IDI_SORT_ASC};
        for (UINT id : markers) {
            HICON icon = static_cast<HICON>(
                LoadImageA(g_app.instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 16, 16, 0));
            ImageList_ReplaceIcon(g_app.sortMarkers, -1, icon);
            DestroyIcon(icon);
        }
    }
    HWND header = reinterpret_cast<HWND>(SendMessageA(g_app.entryList, LVM_GETHEADER, 0, 0));
    SendMessageA(header, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(g_app.sortMarkers));

    for (int column = 0; column < 4; ++column) {
        const std::string heading = LoadText(kColumns[column].heading);
        LVCOLUMNA col{};
        col.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.fmt = LVCFMT_LEFT | LVCFMT_BITMAP_ON_RIGHT;
        col.cx = kColumns[column].width;
        col.pszText = const_cast<char*>(heading.c_str());
        col.iSubItem = column;
        SendMessageA(g_app.entryList, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&col));
    }
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

void OnCreate(HWND window) {
    g_app.mainWindow = window;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_WIN95_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES;
    InitCommonControlsEx(&controls);

    CreateEntryList(window);
    CreateStatusBar(window);
    // Lay the controls out now, so the status bar has both parts before the
    // first scan writes the count text into the right one.
    RECT client{};
    GetClientRect(window, &client);
    LayoutMainWindow(client.right, client.bottom);

    ScanDriver();
    SetFocus(g_app.entryList);
}

void OnDestroy() {
    g_app.entryList = nullptr;
    g_app.statusBar = nullptr;
    g_app.mainWindow = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_SIZE:
        LayoutMainWindow(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_ACTIVATE:
        SetFocus(g_app.entryList);
        return 0;
    case WM_ERASEBKGND:
        return 1; // the children cover the client area
    case WM_NOTIFY:
        return HandleNotify(reinterpret_cast<const NMHDR*>(lParam));
    default:
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
    windowClass.lpszClassName = kMainWindowClass;
    return RegisterClassExA(&windowClass) != 0 ||
           GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateMainWindow(HINSTANCE instance, int x, int y, int width, int height) {
    g_app.instance = instance;
    return CreateWindowExA(0, kMainWindowClass, kMainWindowTitle, WS_OVERLAPPEDWINDOW, x, y,
                           width, height, nullptr, nullptr, instance, nullptr);
}

void LayoutMainWindow(int width, int height) {
    const int parts[2] = {width - kStatusRightPartWidth, width};
    SendMessageA(g_app.statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    const int rebarHeight = 0; // the tool bar's rebar sits above the list
    MoveWindow(g_app.entryList, 0, rebarHeight, width,
               height - rebarHeight - kStatusBarHeight, TRUE);
    MoveWindow(g_app.statusBar, 0, height - kStatusBarHeight, width, kStatusBarHeight, TRUE);
}

} // namespace kv
