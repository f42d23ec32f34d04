#include "shell/app/notifications.h"

#include "base/handles.h"
#include "base/strings.h"
#include "entries/command_path.h"
#include "shell/frame/app_state.h"
#include "shell/app/commands.h"
#include "shell/actions/entry_actions.h"
#include "shell/list/entry_list.h"
#include "shell/frame/program_description.h"
#include "shell/list/status_bar.h"
#include "shell/frame/toolbar.h"
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
    const std::string program = ResolveProgramFile(RowText(row, kColumnCommand));
    std::string description = ProgramDescription(program);
    if (description.empty()) {
        description = RowText(row, kColumnTitle);
    }
    ShowStatusText(description);
}

// A change of the selection or focus, of one row or of many.
void OnSelectionChanged() {
    // Changes the program makes itself (refresh, sort, change check) end
    // here; a rebuild brings the commands up to date when it is done.
    if (g_app.ListBusy || g_app.CheckBusy) {
        return;
    }
    UpdateSelectionCommands(GetMenu(g_app.mainWindow));
    ShowSelectionDescription();
    UpdateCountText();
}

// The row whose check box a click at this point of the list hits, or -1.
int BoxAt(POINT point) {
    LVHITTESTINFO hit{};
    hit.pt = point;
    const int row = static_cast<int>(
        SendMessageA(g_app.entryList, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return row >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) != 0 ? row : -1;
}

void ToggleRowBox(int row) {
    if (row >= 0 && row < RowCount()) {
        ChangeRowBox(row, !RowBoxSet(row));
    }
}

// Typing in the list goes to the row whose title begins so; -1: none.
LRESULT FindTypedRow(UINT flags, const std::string& text, int start) {
    if ((flags & (LVFI_STRING | LVFI_PARTIAL)) == 0) {
        return -1;
    }
    return FindRowByTitle(text, (flags & LVFI_PARTIAL) != 0, start);
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
        break;
    case LVN_GETDISPINFOA:
        ProvideRowItem(reinterpret_cast<NMLVDISPINFOA*>(const_cast<NMHDR*>(header))->item);
        break;
    case LVN_ITEMCHANGED:
    case LVN_ODSTATECHANGED:
        OnSelectionChanged();
        break;
    case LVN_ODFINDITEMA: {
        const NMLVFINDITEMA* find = reinterpret_cast<const NMLVFINDITEMA*>(header);
        return find->lvfi.psz == nullptr
                   ? -1
                   : FindTypedRow(find->lvfi.flags, find->lvfi.psz, find->iStart);
    }
    case LVN_ODFINDITEMW: {
        // Some lists ask in UTF-16 whatever their parent speaks.
        const NMLVFINDITEMW* find = reinterpret_cast<const NMLVFINDITEMW*>(header);
        return find->lvfi.psz == nullptr
                   ? -1
                   : FindTypedRow(find->lvfi.flags, Narrow(find->lvfi.psz), find->iStart);
    }
    case LVN_KEYDOWN:
        // The space bar turns the focused row's check box over.
        if (reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey == VK_SPACE) {
            ToggleRowBox(FocusedRow());
        }
        break;
    case NM_CLICK:
        ToggleRowBox(BoxAt(reinterpret_cast<const NMITEMACTIVATE*>(header)->ptAction));
        break;
    case NM_RCLICK:
        ShowListContextMenu();
        break;
    case NM_DBLCLK:
        // The second click of a double click on a check box turns it over
        // again, as the first did.
        ToggleRowBox(BoxAt(reinterpret_cast<const NMITEMACTIVATE*>(header)->ptAction));
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
    if (header->hwndFrom == g_app.entryList && g_app.entryList != nullptr) {
        return HandleEntryListNotify(header);
    }
    return 0;
}

void ChangeRowBox(int row, bool checked) {
    if (row < 0 || row >= RowCount() || RowBoxSet(row) == checked) {
        return;
    }
    // While the program asks about changes or rebuilds the list itself, the
    // rows may not be what the store holds: the box stays as it is.
    if (g_app.ListBusy || g_app.CheckBusy) {
        ShowStatusText(LoadText(IDS_WAIT_FOR_CHECK));
        return;
    }
    OnSelectionChanged();
    if (RowIsTask(row)) {
        // Only its switch turns; the task stays where it is.
        SwitchTaskForRow(row, checked);
    } else if (checked && RowSwitchedOff(row)) {
        // In its location already: only Windows' own switch goes on.
        TurnSwitchOnForRow(row);
    } else if (checked) {
        SetRowBox(row, true);
        EnableEntry(row);
    } else {
        SetRowBox(row, false);
        DisableEntry(row);
    }
    // A refused or failed change puts the box back: count what stands now.
    UpdateCountText();
}

} // namespace kv
