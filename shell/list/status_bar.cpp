#include "shell/list/status_bar.h"

#include "base/handles.h"
#include "base/strings.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "resource.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace kv {

void ShowStatusText(const std::string& text) {
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string CurrentStatusText() {
    if (g_app.statusBar == nullptr) {
        return std::string();
    }
    const LRESULT length = SendMessageA(g_app.statusBar, SB_GETTEXTLENGTHA, 0, 0);
    std::string text(static_cast<std::size_t>(LOWORD(length)) + 1, '\0');
    SendMessageA(g_app.statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(std::strlen(text.c_str()));
    return text;
}

void UpdateCountText() {
    const int total = RowCount();
    const int disabled = DisabledRowCount();
    const std::string text = LoadText(IDS_COUNT_TOTAL) + std::to_string(total) + " (" +
                             LoadText(IDS_COUNT_DISABLED) + std::to_string(disabled) + ", " +
                             LoadText(IDS_COUNT_SELECTED) + std::to_string(SelectedCount()) + ")";
    SendMessageA(g_app.statusBar, SB_SETTEXTA, 1, reinterpret_cast<LPARAM>(text.c_str()));
    // The right part follows its text: a longer count widens it.
    if (g_app.statusBar != nullptr) {
        RECT bar{};
        GetClientRect(g_app.statusBar, &bar);
        SetStatusBarParts(bar.right);
    }
}

int CountPartWidth(const std::string& text) {
    int needed = 0;
    if (g_app.statusBar != nullptr) {
        HDC dc = GetDC(g_app.statusBar);
        if (dc != nullptr) {
            // The font the status bar draws its texts in.
            HFONT font = reinterpret_cast<HFONT>(SendMessageA(g_app.statusBar, WM_GETFONT, 0, 0));
            {
                const SelectedObject selected(dc, font);
                SIZE size{};
                if (GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size)) {
                    needed = size.cx;
                }
            }
            ReleaseDC(g_app.statusBar, dc);
        }
        // The part's sunken edge and the text's margins on both sides, the
        // gap before the part, and the size grip drawn over its right end.
        int borders[3] = {0, 0, 0};
        SendMessageA(g_app.statusBar, SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
        needed += 2 * GetSystemMetrics(SM_CXEDGE) + 2 * kStatusTextMargin + borders[2];
        if ((GetWindowLongPtrA(g_app.statusBar, GWL_STYLE) & SBARS_SIZEGRIP) != 0) {
            needed += GetSystemMetrics(SM_CXVSCROLL);
        }
    }
    return std::max(needed, kStatusRightPartWidth);
}

void SetStatusBarParts(int width) {
    if (g_app.statusBar == nullptr) {
        return;
    }
    // The count text, once the bar has its second part.
    std::string text;
    if (SendMessageA(g_app.statusBar, SB_GETPARTS, 0, 0) >= 2) {
        const LRESULT length = SendMessageA(g_app.statusBar, SB_GETTEXTLENGTHA, 1, 0);
        text.assign(static_cast<std::size_t>(LOWORD(length)) + 1, '\0');
        SendMessageA(g_app.statusBar, SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(LOWORD(length));
    }
    // The left part never ends before the bar's start: -1 would stretch it
    // over the whole bar.
    const int parts[2] = {std::max(0, width - CountPartWidth(text)), width};
    // Parts set again as they stand would only lay the bar out anew.
    int current[2] = {0, 0};
    if (SendMessageA(g_app.statusBar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(current)) == 2 &&
        current[0] == parts[0] && current[1] == parts[1]) {
        return;
    }
    SendMessageA(g_app.statusBar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
}

} // namespace kv
