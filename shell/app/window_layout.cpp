#include "shell/app/window_layout.h"

#include "shell/frame/app_state.h"

#include <commctrl.h>

namespace kv {

WindowLayout CurrentWindowLayout() {
    WindowLayout layout;
    if (g_app.mainWindow == nullptr) {
        return layout;
    }
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    GetWindowPlacement(g_app.mainWindow, &placement);
    const RECT& normal = placement.rcNormalPosition;
    layout.left = normal.left;
    layout.top = normal.top;
    layout.right = normal.right;
    layout.bottom = normal.bottom;
    layout.showCmd = static_cast<int>(placement.showCmd);
    if (g_app.entryList != nullptr) {
        SendMessageA(g_app.entryList, LVM_GETCOLUMNORDERARRAY, 4,
                     reinterpret_cast<LPARAM>(layout.order));
        for (int column = 0; column < 4; ++column) {
            layout.widths[column] = static_cast<int>(
                SendMessageA(g_app.entryList, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
        }
    }
    return layout;
}

} // namespace kv
