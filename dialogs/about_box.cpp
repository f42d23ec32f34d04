#include "dialogs/about_box.h"

#include "base/handles.h"
#include "base/strings.h"
#include "base/test_seams.h"
#include "resource.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace kv {

COLORREF LinkColour(COLORREF hot, bool hasHot, COLORREF face) {
    // Perceived brightness, 0 to 255.
    const auto brightness = [](COLORREF colour) {
        return (GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114) / 1000;
    };
    const int difference = brightness(hot) - brightness(face);
    // A hot-tracking colour that hardly stands out from the dialog (some
    // colour schemes make it a pale grey) would hide the links.
    if (!hasHot || (difference < 100 && difference > -100)) {
        return RGB(0, 0, 255);
    }
    return hot;
}

namespace {

ShellExecuteFunction g_shellExecuteForTests = nullptr;

// One link of an open box.
struct Link {
    int id = 0;
    std::string target; // what a click opens
    bool away = true;   // the pointer is not over the link
};

// What one open box keeps. Each box has its own: the tray menu can open a
// second box while the first is still open.
struct AboutState {
    HINSTANCE instance = nullptr;
    Link links[2];
    UniqueFont underlined; // the default GUI font with underlining
    HCURSOR hand = nullptr;
};

AboutState* StateOf(HWND dialog) {
    return reinterpret_cast<AboutState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

HFONT PlainFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// The address a link shows: the target, without "mailto:" for the e-mail.
std::string ShownAddress(const std::string& target) {
    static const char kMailScheme[] = "mailto:";
    const std::size_t schemeLength = sizeof(kMailScheme) - 1;
    if (target.size() > schemeLength &&
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, target.c_str(),
                       static_cast<int>(schemeLength), kMailScheme,
                       static_cast<int>(schemeLength)) == CSTR_EQUAL) {
        return target.substr(schemeLength);
    }
    return target;
}

// Shows the address in the link and makes the link as large as its text, so
// that only the text itself is clickable.
void SetUpLink(HWND dialog, const Link& link) {
    HWND control = GetDlgItem(dialog, link.id);
    const std::string shown = ShownAddress(link.target);
    SetWindowTextA(control, shown.c_str());
    // The link draws in the font chosen at each colour request; a font of its
    // own would be selected over that one.
    SendMessageA(control, WM_SETFONT, 0, FALSE);
    HDC dc = GetDC(control);
    if (dc == nullptr) {
        return;
    }
    SIZE extent{};
    BOOL measured = FALSE;
    {
        const SelectedObject font(dc, PlainFont());
        measured =
            GetTextExtentPoint32A(dc, shown.c_str(), static_cast<int>(shown.size()), &extent);
    }
    ReleaseDC(control, dc);
    if (measured && extent.cx > 0) {
        SetWindowPos(control, nullptr, 0, 0, extent.cx, extent.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void InitAboutBox(HWND dialog, AboutState& state) {
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(&state));
    LOGFONTA font{};
    if (GetObjectA(PlainFont(), sizeof(font), &font) != 0) {
        font.lfUnderline = TRUE;
        state.underlined.Reset(CreateFontIndirectA(&font));
    }
    state.hand = LoadCursorA(state.instance, MAKEINTRESOURCEA(IDC_LINK_HAND));
    state.links[0].id = IDC_ABOUT_EMAIL;
    state.links[0].target = LoadText(IDS_MAIL_URL);
    state.links[1].id = IDC_ABOUT_WEB;
    state.links[1].target = LoadText(IDS_WEB_URL);
    for (const Link& link : state.links) {
        SetUpLink(dialog, link);
    }
}

// The link drawn by this static control; null for the other statics.
Link* LinkOf(HWND dialog, AboutState& state, HWND control) {
    for (Link& link : state.links) {
        if (control != nullptr && control == GetDlgItem(dialog, link.id)) {
            return &link;
        }
    }
    return nullptr;
}

HWND ChildAt(HWND dialog, LPARAM clientPoint) {
    const POINT point{static_cast<short>(LOWORD(clientPoint)),
                      static_cast<short>(HIWORD(clientPoint))};
    return ChildWindowFromPoint(dialog, point);
}

// The hand while the pointer is over a link, the arrow elsewhere.
HCURSOR PointerCursor(const AboutState& state) {
    for (const Link& link : state.links) {
        if (!link.away && state.hand != nullptr) {
            return state.hand;
        }
    }
    return LoadCursor(nullptr, IDC_ARROW);
}

INT_PTR DrawLink(HWND dialog, AboutState& state, HDC dc, HWND control) {
    const Link* link = LinkOf(dialog, state, control);
    if (link == nullptr) {
        return FALSE; // the platform's colours
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, LinkColour(GetSysColor(COLOR_HOTLIGHT),
                                GetSysColorBrush(COLOR_HOTLIGHT) != nullptr,
                                GetSysColor(COLOR_BTNFACE)));
    SelectObject(dc, link->away && state.underlined ? state.underlined.get() : PlainFont());
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

void TrackPointer(HWND dialog, AboutState& state, LPARAM clientPoint) {
    const HWND under = ChildAt(dialog, clientPoint);
    for (Link& link : state.links) {
        HWND control = GetDlgItem(dialog, link.id);
        const bool over = under == control;
        if (link.away == over) {
            link.away = !over;
            InvalidateRect(control, nullptr, FALSE);
        }
    }
    SetCursor(PointerCursor(state));
}

void OpenLinkAt(HWND dialog, AboutState& state, LPARAM clientPoint) {
    const Link* link = LinkOf(dialog, state, ChildAt(dialog, clientPoint));
    if (link == nullptr) {
        return;
    }
    const ShellExecuteFunction shellExecute =
        g_shellExecuteForTests != nullptr ? g_shellExecuteForTests : ShellExecuteA;
    shellExecute(dialog, "open", link->target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

INT_PTR CALLBACK AboutBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        InitAboutBox(dialog, *reinterpret_cast<AboutState*>(lParam));
        return TRUE;
    }
    AboutState* state = StateOf(dialog);
    if (state == nullptr) {
        return FALSE;
    }
    switch (message) {
    case WM_CTLCOLORSTATIC:
        return DrawLink(dialog, *state, reinterpret_cast<HDC>(wParam),
                        reinterpret_cast<HWND>(lParam));
    case WM_MOUSEMOVE:
        TrackPointer(dialog, *state, lParam);
        return TRUE;
    case WM_SETCURSOR:
        // Over the box's own client area (the links let the pointer through)
        // the cursor of the last movement stays; elsewhere the default.
        if (reinterpret_cast<HWND>(wParam) == dialog && LOWORD(lParam) == HTCLIENT) {
            SetCursor(PointerCursor(*state));
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        return FALSE;
    case WM_LBUTTONDOWN:
        OpenLinkAt(dialog, *state, lParam);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY:
        state->underlined.Reset();
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

void AboutBox(HINSTANCE instance, HWND owner) {
    AboutState state;
    state.instance = instance;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutBoxProc,
                    reinterpret_cast<LPARAM>(&state));
}

void SetShellExecuteForTests(ShellExecuteFunction function) {
    g_shellExecuteForTests = function;
}

} // namespace kv
