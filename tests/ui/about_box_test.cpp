// The about box opened from the real main window and used with the mouse as a
// user would: the links follow the pointer, and a click opens their address.
#include "base/test_seams.h"
#include "dialogs/about_box.h"
#include "shell/frame/app_state.h"
#include "resource.h"

#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/own_dialogs.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using kvtest::Ansi;

namespace {

std::string ItemText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, static_cast<int>(sizeof(text)));
    return text;
}

HWND FindAboutBox() {
    return kvtest::FindOwnDialog(
        [](HWND window) { return GetDlgItem(window, IDC_ABOUT_WEB) != nullptr; });
}

// A point of the box's client area, as a mouse message carries it.
LPARAM ClientPoint(POINT point) {
    return MAKELPARAM(point.x, point.y);
}

// The middle of a control, in the box's client coordinates.
POINT MiddleOf(HWND dialog, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A mouse message at a point of the box, after the cursor request the system
// sends first (the links let the pointer through to the box).
void Mouse(HWND dialog, UINT message, WPARAM keys, POINT point) {
    SendMessageA(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog),
                 MAKELPARAM(HTCLIENT, message));
    SendMessageA(dialog, message, keys, ClientPoint(point));
}

void MoveTo(HWND dialog, POINT point) {
    Mouse(dialog, WM_MOUSEMOVE, 0, point);
}

void ClickAt(HWND dialog, POINT point) {
    MoveTo(dialog, point);
    Mouse(dialog, WM_LBUTTONDOWN, MK_LBUTTON, point);
    Mouse(dialog, WM_LBUTTONUP, 0, point);
}

// Whether the link waits to be painted anew; it then counts as painted.
bool AwaitsRepaint(HWND dialog, int id) {
    HWND link = GetDlgItem(dialog, id);
    const bool waits = GetUpdateRect(link, nullptr, FALSE) != 0;
    ValidateRect(link, nullptr);
    return waits;
}

// How the box has a static control drawn: the font and colour its colour
// request puts into a device context.
struct Drawing {
    bool plain = false;      // the default GUI font itself
    bool underlined = false; // a font with underlining
    COLORREF colour = 0;
};

Drawing DrawingOf(HWND dialog, int id) {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ before = GetCurrentObject(dc, OBJ_FONT);
    SendMessageA(dialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    const HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    Drawing drawing;
    drawing.plain = font == GetStockObject(DEFAULT_GUI_FONT);
    LOGFONTA logFont{};
    drawing.underlined = GetObjectA(font, sizeof(logFont), &logFont) != 0 && logFont.lfUnderline;
    drawing.colour = GetTextColor(dc);
    SelectObject(dc, before);
    DeleteDC(dc);
    return drawing;
}

// The pixels a link really paints in other than the background colour: its
// letters, and its underline when it has one.
int InkOf(HWND dialog, int id) {
    HWND link = GetDlgItem(dialog, id);
    RECT rect{};
    GetClientRect(link, &rect);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = rect.right;
    info.bmiHeader.biHeight = -rect.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ before = SelectObject(dc, bitmap);
    SendMessageA(link, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF background = GetSysColor(COLOR_BTNFACE);
    int ink = 0;
    for (int y = 0; y < rect.bottom; ++y) {
        for (int x = 0; x < rect.right; ++x) {
            ink += GetPixel(dc, x, y) != background ? 1 : 0;
        }
    }
    SelectObject(dc, before);
    DeleteDC(dc);
    DeleteObject(bitmap);
    return ink;
}

// What a click handed to the shell.
struct ShellCall {
    HWND owner;
    std::string verb;
    std::string file;
    int show;
    bool operator==(const ShellCall& other) const {
        return owner == other.owner && verb == other.verb && file == other.file &&
               show == other.show;
    }
};
std::vector<ShellCall> g_shellCalls;

HINSTANCE WINAPI RecordShellCall(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT show) {
    g_shellCalls.push_back({owner, verb != nullptr ? verb : "", file != nullptr ? file : "", show});
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33)); // success
}

void UseAboutBox(HWND dialog) {
    EXPECT_EQ(Ansi("О программе Kelvorin"), [&] {
        char caption[64] = {};
        GetWindowTextA(dialog, caption, static_cast<int>(sizeof(caption)));
        return std::string(caption);
    }());
    EXPECT_EQ(Ansi("Kelvorin версия 1.25"), ItemText(dialog, IDC_ABOUT_VERSION));
    EXPECT_EQ("kelvorin@example.org", ItemText(dialog, IDC_ABOUT_EMAIL));
    EXPECT_EQ("https://kelvorin.example.org/", ItemText(dialog, IDC_ABOUT_WEB));
    // A static of id -1 would make the box pass for a message box.
    EXPECT_EQ(nullptr, GetDlgItem(dialog, 0xFFFF));

    const HCURSOR hand = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_LINK_HAND));
    const HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
    ASSERT_NE(nullptr, hand);
    const POINT mail = MiddleOf(dialog, IDC_ABOUT_EMAIL);
    const POINT web = MiddleOf(dialog, IDC_ABOUT_WEB);
    const POINT background{2, 2};
    ASSERT_EQ(dialog, ChildWindowFromPoint(dialog, background));

    // Readable link colours: the hot-tracking one, unless it hardly stands out.
    EXPECT_EQ(RGB(0, 0, 128), kv::LinkColour(RGB(0, 0, 128), true, RGB(240, 240, 240)));
    EXPECT_EQ(RGB(0, 0, 255), kv::LinkColour(RGB(224, 224, 224), true, RGB(245, 245, 245)));
    EXPECT_EQ(RGB(0, 0, 255), kv::LinkColour(RGB(0, 0, 128), false, RGB(240, 240, 240)));
    // Both links underlined and in the link colour while the pointer
    // is elsewhere.
    for (int id : {IDC_ABOUT_EMAIL, IDC_ABOUT_WEB}) {
        const Drawing drawing = DrawingOf(dialog, id);
        EXPECT_TRUE(drawing.underlined) << id;
        EXPECT_EQ(kv::LinkColour(GetSysColor(COLOR_HOTLIGHT), true, GetSysColor(COLOR_BTNFACE)),
                  drawing.colour)
            << id;
    }
    const int mailUnderlinedInk = InkOf(dialog, IDC_ABOUT_EMAIL);
    AwaitsRepaint(dialog, IDC_ABOUT_EMAIL);
    AwaitsRepaint(dialog, IDC_ABOUT_WEB);

    // Over the e-mail link: the hand, and that link alone loses its underline.
    MoveTo(dialog, mail);
    EXPECT_EQ(hand, GetCursor());
    EXPECT_TRUE(AwaitsRepaint(dialog, IDC_ABOUT_EMAIL));
    EXPECT_TRUE(DrawingOf(dialog, IDC_ABOUT_EMAIL).plain);
    EXPECT_FALSE(DrawingOf(dialog, IDC_ABOUT_EMAIL).underlined);
    EXPECT_TRUE(DrawingOf(dialog, IDC_ABOUT_WEB).underlined);
    // The underline is really drawn, not only chosen.
    EXPECT_LT(InkOf(dialog, IDC_ABOUT_EMAIL), mailUnderlinedInk);

    // Straight onto the web link: both flip, the hand stays.
    MoveTo(dialog, web);
    EXPECT_EQ(hand, GetCursor());
    EXPECT_TRUE(AwaitsRepaint(dialog, IDC_ABOUT_EMAIL));
    EXPECT_TRUE(AwaitsRepaint(dialog, IDC_ABOUT_WEB));
    EXPECT_TRUE(DrawingOf(dialog, IDC_ABOUT_EMAIL).underlined);
    EXPECT_EQ(mailUnderlinedInk, InkOf(dialog, IDC_ABOUT_EMAIL));
    EXPECT_TRUE(DrawingOf(dialog, IDC_ABOUT_WEB).plain);

    // The background: the arrow, both underlined again.
    MoveTo(dialog, background);
    EXPECT_EQ(arrow, GetCursor());
    EXPECT_TRUE(DrawingOf(dialog, IDC_ABOUT_EMAIL).underlined);
    EXPECT_TRUE(DrawingOf(dialog, IDC_ABOUT_WEB).underlined);

    // Beside a link, on the same line, is the background: a click opens nothing.
    RECT mailRect{};
    GetWindowRect(GetDlgItem(dialog, IDC_ABOUT_EMAIL), &mailRect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&mailRect), 2);
    const POINT beside{mailRect.right + 3, mail.y};
    ASSERT_EQ(dialog, ChildWindowFromPoint(dialog, beside));
    ClickAt(dialog, beside);
    EXPECT_EQ(arrow, GetCursor());
    EXPECT_TRUE(g_shellCalls.empty());

    // On a link the hand stays through the press and release.
    ClickAt(dialog, mail);
    EXPECT_EQ(hand, GetCursor());
    ClickAt(dialog, web);
    const std::vector<ShellCall> expected = {
        {dialog, "open", "mailto:kelvorin@example.org", SW_SHOWNORMAL},
        {dialog, "open", "https://kelvorin.example.org/", SW_SHOWNORMAL}};
    EXPECT_TRUE(expected == g_shellCalls) << g_shellCalls.size() << " shell calls";
}

HWND g_seenBox = nullptr;
bool g_hiddenByOk = false;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND dialog = FindAboutBox();
    if (dialog == nullptr) {
        return; // not open yet
    }
    KillTimer(nullptr, timer);
    g_seenBox = dialog;
    UseAboutBox(dialog);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    g_hiddenByOk = !IsWindowVisible(dialog);
    if (!g_hiddenByOk) {
        EndDialog(dialog, IDCANCEL); // so that the test goes on and reports it
    }
}

class AboutBox : public kvtest::MainWindowTest {
  protected:
    void TearDown() override {
        kv::SetShellExecuteForTests(nullptr);
        g_shellCalls.clear();
        MainWindowTest::TearDown();
    }
    kvtest::MessageBoxAnswerer boxes; // no message box is expected
};

TEST_F(AboutBox, LinksFollowThePointerAndOpenTheirAddresses) {
    OpenMainWindow();
    kv::SetShellExecuteForTests(RecordShellCall);
    g_seenBox = nullptr;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, OnTimer);
    SendCommand(IDM_ABOUT);
    KillTimer(nullptr, timer);
    ASSERT_NE(nullptr, g_seenBox) << "the about box did not open";
    EXPECT_TRUE(g_hiddenByOk) << "OK did not end the about box";
    EXPECT_FALSE(IsWindow(g_seenBox));
}

} // namespace
