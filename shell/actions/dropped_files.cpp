#include "shell/actions/dropped_files.h"

#include "shell/frame/app_state.h"
#include "shell/actions/entry_edit.h"

#include <shellapi.h>

namespace kv {

namespace {

// The list's own procedure, which the drops pass by, and whether it takes
// its messages as wide text: they are handed on as they came, unconverted.
WNDPROC g_listProcedure = nullptr;
bool g_listIsWide = false;

// Reads every path of the drop, in its order, into the waiting files, and
// releases the drop.
void TakeDrop(HDROP drop) {
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        // A path of any length: its length is asked first.
        const UINT length = DragQueryFileA(drop, index, nullptr, 0);
        std::string path(static_cast<std::size_t>(length) + 1, '\0');
        const UINT got = DragQueryFileA(drop, index, &path[0], length + 1);
        path.resize(got <= length ? got : length);
        if (!path.empty()) {
            g_app.droppedFiles.push_back(path);
        }
    }
    DragFinish(drop);
}

LRESULT CALLBACK EntryListProcedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DROPFILES) {
        TakeDrop(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return g_listIsWide ? CallWindowProcW(g_listProcedure, list, message, wParam, lParam)
                        : CallWindowProcA(g_listProcedure, list, message, wParam, lParam);
}

} // namespace

void TakeDropsOnEntryList(HWND list) {
    const bool wide = IsWindowUnicode(list) != FALSE;
    const LONG_PTR procedure = reinterpret_cast<LONG_PTR>(&EntryListProcedure);
    const WNDPROC previous =
        reinterpret_cast<WNDPROC>(wide ? SetWindowLongPtrW(list, GWLP_WNDPROC, procedure)
                                       : SetWindowLongPtrA(list, GWLP_WNDPROC, procedure));
    // Every list has the same procedure of its class; a list made again keeps it.
    if (previous != &EntryListProcedure) {
        g_listProcedure = previous;
        g_listIsWide = wide;
    }
}

void OfferDroppedFiles() {
    while (!g_app.droppedFiles.empty()) {
        const std::string path = g_app.droppedFiles.front();
        g_app.droppedFiles.pop_front();
        AddDroppedFile(path);
    }
}

} // namespace kv
