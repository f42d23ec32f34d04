#include "shell/notifications.h"

#include "shell/app_state.h"
#include "shell/entry_list.h"

namespace kv {

LRESULT HandleNotify(const NMHDR* header) {
    if (header == nullptr || header->hwndFrom != g_app.entryList) {
        return 0;
    }
    switch (header->code) {
    case LVN_COLUMNCLICK: {
        // The column's creation index, not its display position.
        const NMLISTVIEW* view = reinterpret_cast<const NMLISTVIEW*>(header);
        g_app.sortColumn = view->iSubItem;
        SortEntryList(view->iSubItem);
        break;
    }
    case LVN_DELETEALLITEMS:
        UpdateCountText();
        break;
    case LVN_ITEMCHANGED:
        if (!g_app.ListBusy && !g_app.CheckBusy) {
            UpdateCountText();
        }
        break;
    default:
        break;
    }
    return 0;
}

} // namespace kv
