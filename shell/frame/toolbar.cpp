#include "shell/frame/toolbar.h"

#include "base/handles.h"
#include "base/strings.h"
#include "base/text.h"
#include "shell/frame/app_state.h"
#include "resource.h"

#include <commctrl.h>

namespace kv {

namespace {

struct Position {
    int command; // 0: separator
    int image;   // image index; a separator's width in pixels
    UINT tip;
};

// Image i of the bitmap belongs to position i; the separators' images are
// unused, their values are their widths.
const Position kPositions[kToolBarPositions] = {
    {IDM_ADD, 0, IDS_HINT_ADD},
    {IDM_DELETE, 1, IDS_HINT_DELETE},
    {IDM_EDIT, 2, IDS_HINT_EDIT},
    {0, 3, 0},
    {IDM_CHECK_CHANGES, 4, IDS_HINT_CHECK_CHANGES},
    {IDM_REFRESH, 5, IDS_HINT_REFRESH},
    {0, 6, 0},
    {IDM_RUN, 7, IDS_HINT_RUN},
    {IDM_TERMINATE, 8, IDS_HINT_TERMINATE},
    {IDM_OPEN_FOLDER, 9, IDS_HINT_OPEN_FOLDER},
    {0, 10, 0},
    {IDM_STARTUP_FOLDER_MENU, 11, IDS_HINT_STARTUP_FOLDER},
    {IDM_TOOL_REGEDIT, 12, IDS_HINT_REGEDIT},
    {IDM_FILE_WININI, 13, IDS_HINT_WININI},
    {0, 14, 0},
    {IDM_PRINT, 15, IDS_HINT_PRINT},
};

} // namespace

void CreateRebar(HWND window) {
    g_app.rebar =
        CreateWindowExA(0, REBARCLASSNAMEA, "",
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER |
                            RBS_BANDBORDERS | RBS_VARHEIGHT | CCS_NODIVIDER | CCS_NOPARENTALIGN,
                        0, 0, 0, 0, window, nullptr, g_app.instance, nullptr);
}

void CreateToolBar(HWND window) {
    TBBUTTON buttons[kToolBarPositions] = {};
    for (int i = 0; i < kToolBarPositions; ++i) {
        buttons[i].iBitmap = kPositions[i].image;
        buttons[i].idCommand = kPositions[i].command;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = kPositions[i].command == 0 ? BTNS_SEP : BTNS_BUTTON;
    }
    g_app.toolBar = CreateToolbarEx(window,
                                    WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TRANSPARENT |
                                        TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_TOP,
                                    0, kToolBarPositions, g_app.instance, IDB_TOOLBAR, buttons,
                                    kToolBarPositions, 0, 0, 16, 16, sizeof(TBBUTTON));
}

void InsertToolBarBand() {
    REBARBANDINFOA band{};
    band.cbSize = sizeof(band);
    band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE;
    band.fStyle = RBBS_CHILDEDGE | RBBS_NOVERT;
    band.hwndChild = g_app.toolBar;
    band.cxMinChild = kBandMinWidth;
    band.cyMinChild = kBandMinHeight;
    SendMessageA(g_app.rebar, RB_INSERTBANDA, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&band));
}

int RebarHeight() {
    if (g_app.rebar == nullptr) {
        return 0;
    }
    RECT client{};
    GetClientRect(g_app.rebar, &client);
    return client.bottom;
}

std::string ToolTipText(UINT command) {
    if (command == 0) {
        return std::string();
    }
    for (const Position& position : kPositions) {
        if (position.command != 0 && static_cast<UINT>(position.command) == command) {
            return LoadText(position.tip);
        }
    }
    return std::string();
}

void FillToolTip(NMTTDISPINFOA* request) {
    const std::string tip = ToolTipText(static_cast<UINT>(request->hdr.idFrom));
    // The request's own text field: cut to fit, always terminated.
    CopyIntoField(request->szText, sizeof(request->szText), tip);
    request->lpszText = request->szText;
    request->hinst = nullptr;
}

HMENU BuildStartupFolderMenu() {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, IDM_STARTUP_ALL_USERS, LoadText(IDS_MENU_STARTUP_ALL).c_str());
    AppendMenuA(menu, MF_STRING, IDM_STARTUP_CURRENT_USER,
                LoadText(IDS_MENU_STARTUP_CURRENT).c_str());
    return menu;
}

void ShowStartupFolderMenu() {
    RECT button{};
    SendMessageA(g_app.toolBar, TB_GETITEMRECT, kStartupFolderButtonPosition,
                 reinterpret_cast<LPARAM>(&button));
    POINT corner{button.left, button.bottom};
    ClientToScreen(g_app.toolBar, &corner);
    const UniqueMenu menu(BuildStartupFolderMenu());
    TrackPopupMenu(menu.get(), TPM_LEFTBUTTON, corner.x, corner.y, 0, g_app.mainWindow, nullptr);
}

} // namespace kv
