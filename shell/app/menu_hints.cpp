#include "shell/app/menu_hints.h"

#include "base/strings.h"
#include "shell/app/commands.h"
#include "shell/list/entry_list.h"
#include "shell/list/status_bar.h"
#include "resource.h"

namespace kv {

void ShowMenuHint(UINT command) {
    ShowStatusText(LoadText(CommandHintText(command)));
}

void HandleMenuSelect(WPARAM wParam, LPARAM lParam) {
    const UINT item = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    const bool closing = flags == 0xFFFF && lParam == 0;
    // For a submenu entry the item is its position, not a command.
    if (closing || (flags & MF_POPUP) != 0 || (flags & MF_SEPARATOR) != 0) {
        ShowMenuHint(0);
        return;
    }
    ShowMenuHint(item);
}

} // namespace kv
