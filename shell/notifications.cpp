#include "shell/notifications.h"

#include "entries/command_path.h"
#include "shell/app_state.h"
#include "shell/commands.h"
#include "shell/entry_actions.h"
#include "shell/entry_list.h"
#include "shell/main_window.h"
#include "shell/program_description.h"
#include "shell/strings.h"
#include "shell/toolbar.h"
#include "resource.h"

namespace kv {

namespace {

// With one row selected: the description its program gives of itself, or
// else its title. Otherwise the F1 text.
void ShowSelectionDescription() {
    if (SelectedCount() != 1) {
        ShowStatusText(LoadText(IDS_HELP_F1));
        return;
    }
    const int row = FirstSelectedRow();
    const std::string program =
        ResolveCommandPath(RowText(row, kColumnCommand), ResolveMode::ProgramPath);
    std::string description = ProgramDescription(program);
    if (description.empty()) {
        description = RowText(row, kColumnTitle);
    }
    ShowStatusText(description);
}

void OnRowChanged(const NMLISTVIEW* change) {
    // Changes the program makes itself (refresh, sort, change check) end
    // here; a rebuild brings the commands up to date when it is done.
    if (g_app.ListBusy || g_app.CheckBusy) {
        return;
    }
    // The commands follow the selection; during "Включить всё" and "Отключить
    // всё" they, the description and the counts follow once, at the end.
    if (!g_app.BulkCheck) {
        UpdateSelectionCommands(GetMenu(g_app.mainWindow));
        ShowSelectionDescription();
        UpdateCountText();
    }
    // A change of the row's check box: the entry follows it. The state image
    // is compared alone, so a box clicked on a selected or focused row counts
    // as well, and selection or focus changes alone do nothing.
    const UINT oldImage = (change->uOldState & LVIS_STATEIMAGEMASK) >> 12;
    const UINT newImage = (change->uNewState & LVIS_STATEIMAGEMASK) >> 12;
    if ((change->uChanged & LVIF_STATE) == 0 || oldImage == newImage) {
        return;
    }
    if (newImage == 2) {
        EnableEntry(change->iItem);
    } else if (newImage == 1) {
        DisableEntry(change->iItem);
    } else {
        return;
    }
    // A refused or failed change puts the box back: count what stands now.
    if (!g_app.BulkCheck) {
        UpdateCountText();
    }
}

LRESULT HandleEntryListNotify(const NMHDR* header) {
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
        GreySelectionCommands();
        ForgetAllRowTexts();
        break;
    case LVN_DELETEITEM: {
        const NMLISTVIEW* view = reinterpret_cast<const NMLISTVIEW*>(header);
        ForgetRowTexts(view->iItem, view->lParam);
        break;
    }
    case LVN_GETDISPINFOA:
        ProvideRowText(reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item);
        break;
    case LVN_INSERTITEM: {
        const NMLISTVIEW* view = reinterpret_cast<const NMLISTVIEW*>(header);
        NoteInsertedRow(view->iItem, view->lParam);
        break;
    }
    case LVN_ITEMCHANGED:
        OnRowChanged(reinterpret_cast<const NMLISTVIEW*>(header));
        break;
    case NM_RCLICK:
        ShowListContextMenu();
        break;
    case NM_DBLCLK:
        if (SelectedCount() >= 1) {
            ExecuteCommand(IDM_RUN);
        }
        break;
    default:
        break;
    }
    return 0;
}

} // namespace

LRESULT HandleNotify(NMHDR* header) {
    if (header == nullptr) {
        return 0;
    }
    if (header->code == TTN_NEEDTEXTA) {
        FillToolTip(reinterpret_cast<NMTTDISPINFOA*>(header));
    }
    if (header->code == RBN_HEIGHTCHANGE && g_app.mainWindow != nullptr) {
        RECT client{};
        GetClientRect(g_app.mainWindow, &client);
        LayoutMainWindow(client.right, client.bottom);
    }
    if (header->hwndFrom == g_app.entryList && g_app.entryList != nullptr) {
        return HandleEntryListNotify(header);
    }
    return 0;
}

} // namespace kv
