#include "support/main_window_fixture.h"

#include "base/test_seams.h"
#include "records/settings_store.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/app/main_window.h"
#include "resource.h"

#include "support/file_dialog.h"
#include "support/message_box_answerer.h"
#include "support/process.h"

#include <commctrl.h>

namespace kvtest {

namespace {
StatusBarRecorder* g_recorder = nullptr;
} // namespace

void PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                continue; // posted by the main window's destruction
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (GetTickCount() - start >= milliseconds) {
            return;
        }
        Sleep(10);
    }
}

void StatusBarRecorder::Start() {
    texts_.clear();
    g_recorder = this;
    previous_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        kv::g_app.statusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StatusBarRecorder::Proc)));
}

void StatusBarRecorder::Stop() {
    if (previous_ != nullptr && kv::g_app.statusBar != nullptr) {
        SetWindowLongPtrA(kv::g_app.statusBar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    }
    previous_ = nullptr;
    g_recorder = nullptr;
}

LRESULT CALLBACK StatusBarRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == SB_SETTEXTA && LOBYTE(LOWORD(wParam)) == 0 && lParam != 0) {
        g_recorder->texts_.push_back(reinterpret_cast<const char*>(lParam));
    }
    return CallWindowProcA(g_recorder->previous_, window, message, wParam, lParam);
}

void MainWindowTest::SetUp() {
    StartupRegistryTest::SetUp();
    kv::g_app = kv::AppState{};
    // Unless the test has named a folder already, settings.ini goes into a
    // fresh one, never next to the test program.
    programFolderPath_ = kv::ExecutableDirectory();
    if (lstrcmpiA(programFolderPath_.c_str(), TestProgramDirectory().c_str()) == 0) {
        programFolderPath_ = ownFolder_.path();
        kv::SetExecutableDirectoryForTests(programFolderPath_);
    }
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_TRUE(kv::RegisterMainWindowClass(instance));
}

void MainWindowTest::TearDown() {
    CloseMainWindow();
    kv::SetExecutableDirectoryForTests(std::string());
    StartupRegistryTest::TearDown();
}

void MainWindowTest::WriteSetting(const std::string& section, const std::string& key, int value) {
    const std::string path = programFolder() + "\\settings.ini";
    WritePrivateProfileStringA(section.c_str(), key.c_str(), std::to_string(value).c_str(),
                               path.c_str());
}

void MainWindowTest::SendCommand(UINT command) {
    SendMessageA(window_, WM_COMMAND, MAKEWPARAM(command, 0), 0);
    PumpMessages();
}

void MainWindowTest::OpenMainWindow() {
    CloseMainWindow();
    CreateWindowNow();
}

void MainWindowTest::OpenMainWindowStartingDelayedEntries(unsigned long long startTick) {
    CloseMainWindow();
    kv::g_app.startsDelayedEntries = true;
    kv::g_app.startTick = startTick;
    CreateWindowNow();
}

void MainWindowTest::CreateWindowNow() {
    window_ = kv::CreateMainWindow(GetModuleHandleA(nullptr), 0, 0, 900, 600);
    ASSERT_NE(nullptr, window_);
    RECT client{};
    GetClientRect(window_, &client);
    kv::LayoutMainWindow(client.right, client.bottom);
    PumpMessages();
}

void MainWindowTest::CloseMainWindow() {
    if (window_ != nullptr) {
        // The window may have ended itself (exit command, close request).
        if (IsWindow(window_)) {
            DestroyWindow(window_);
        }
        window_ = nullptr;
        PumpMessages();
    }
    // The next window starts from the program's start-up state.
    kv::g_app = kv::AppState{};
}

HWND MainWindowTest::list() const {
    return kv::g_app.entryList;
}

HWND MainWindowTest::header() const {
    return reinterpret_cast<HWND>(SendMessageA(list(), LVM_GETHEADER, 0, 0));
}

std::string MainWindowTest::StatusText(int part) const {
    const LRESULT length = SendMessageA(kv::g_app.statusBar, SB_GETTEXTLENGTHA, part, 0);
    std::string text(static_cast<std::size_t>(LOWORD(length)) + 1, '\0');
    SendMessageA(kv::g_app.statusBar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(LOWORD(length));
    return text;
}

void MainWindowTest::ClickColumnHeader(int column) {
    // Header items are indexed by column creation order.
    RECT rect{};
    ASSERT_TRUE(SendMessageA(header(), HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect)));
    const LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageA(header(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(header(), WM_LBUTTONUP, 0, point);
    PumpMessages();
}

std::vector<std::string> MainWindowTest::Titles() const {
    std::vector<std::string> titles;
    const int count = kv::RowCount();
    for (int row = 0; row < count; ++row) {
        titles.push_back(kv::RowText(row, kv::kColumnTitle));
    }
    return titles;
}

int MainWindowTest::RowWithTitle(const std::string& title) const {
    for (int row = 0; row < kv::RowCount(); ++row) {
        if (kv::RowText(row, kv::kColumnTitle) == title) {
            return row;
        }
    }
    return -1;
}

void MainWindowTest::SetBox(const std::string& title, bool checked) {
    const int row = RowWithTitle(title);
    ASSERT_GE(row, 0) << title;
    if (kv::RowBoxSet(row) == checked) {
        return;
    }
    // A click on the row's check box, found where the list says it is.
    SendMessageA(list(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RECT bounds{};
    bounds.left = LVIR_BOUNDS;
    SendMessageA(list(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&bounds));
    LVHITTESTINFO hit{};
    hit.pt.y = (bounds.top + bounds.bottom) / 2;
    for (hit.pt.x = bounds.left; hit.pt.x < bounds.left + 64; ++hit.pt.x) {
        hit.flags = 0;
        if (SendMessageA(list(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row &&
            (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
            break;
        }
    }
    ASSERT_LT(hit.pt.x, bounds.left + 64) << "no check box on the row of " << title;
    const LPARAM point = MAKELPARAM(hit.pt.x, hit.pt.y);
    SendMessageA(list(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(list(), WM_LBUTTONUP, 0, point);
    PumpMessages();
}

void MainWindowTest::CheckFindingNothing() {
    MessageBoxAnswerer answerer;
    answerer.Expect("Kelvorin",
                    "С момента последней проверки автозагрузки новых программ добавлено не было.",
                    IDOK);
    answerer.Expect("Kelvorin", "Ни один сторонний процесс не удалял программы из автозагрузки.",
                    IDOK);
    SendCommand(IDM_CHECK_CHANGES);
    answerer.WaitAll();
}

void MainWindowTest::RestoreListFrom(const std::string& file) {
    MessageBoxAnswerer answerer;
    answerer.Expect("Kelvorin", "Вы действительно хотите восстановить список автозагрузки?", IDYES);
    FileDialogAnswerer dialog("Восстановление списка ...", file);
    SendCommand(IDM_RESTORE_LIST);
    dialog.WaitAnswered();
    answerer.WaitAll();
}

} // namespace kvtest
