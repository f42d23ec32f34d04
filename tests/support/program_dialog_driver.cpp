#include "support/program_dialog_driver.h"

#include "support/own_dialogs.h"
#include "support/text.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace kvtest {

namespace {

// Long enough for any dialog road; a driver that waits longer has lost its
// dialog and stops instead of hanging the test.
constexpr DWORD kPatience = 20000;

HWND WaitForDialog() {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kPatience) {
        const HWND dialog = FindOwnDialog(
            [](HWND window) { return GetDlgItem(window, IDC_PROG_GROUP) != nullptr; });
        if (dialog != nullptr) {
            return dialog;
        }
        Sleep(20);
    }
    return nullptr;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr) {
    DWORD_PTR answer = 0;
    const bool sent =
        SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kPatience, &answer) != 0;
    if (result != nullptr) {
        *result = static_cast<LRESULT>(answer);
    }
    return sent;
}

std::string ItemText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    LRESULT length = 0;
    Send(control, WM_GETTEXTLENGTH, 0, 0, &length);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    LRESULT got = 0;
    Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), &got);
    text.resize(static_cast<std::size_t>(got));
    return text;
}

void SetItemText(HWND dialog, int id, const std::optional<std::string>& utf8) {
    if (utf8) {
        const std::string text = Ansi(*utf8);
        Send(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
}

ProgramDialogFields ReadFields(HWND dialog) {
    ProgramDialogFields fields;
    fields.title = ItemText(dialog, IDC_PROG_TITLE);
    fields.path = ItemText(dialog, IDC_PROG_PATH);
    fields.parameters = ItemText(dialog, IDC_PROG_PARAMS);
    fields.section = ItemText(dialog, IDC_PROG_SECTION);
    HWND combo = GetDlgItem(dialog, IDC_PROG_GROUP);
    LRESULT value = 0;
    Send(combo, CB_GETCURSEL, 0, 0, &value);
    fields.group = static_cast<int>(value);
    Send(combo, CB_GETCOUNT, 0, 0, &value);
    fields.groupCount = static_cast<int>(value);
    fields.sectionLabelEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_PROG_SECTION_LABEL)) != 0;
    return fields;
}

} // namespace

ProgramDialogDriver::ProgramDialogDriver(std::vector<DialogScript> scripts, DWORD quitThread)
    : scripts_(std::move(scripts)), quitThread_(quitThread) {
    thread_ = std::thread([this] { Run(); });
}

ProgramDialogDriver::~ProgramDialogDriver() {
    Opened();
    for (const std::string& failure : failures_) {
        ADD_FAILURE() << failure;
    }
}

const std::vector<ProgramDialogFields>& ProgramDialogDriver::Opened() {
    if (thread_.joinable()) {
        thread_.join();
    }
    return opened_;
}

void ProgramDialogDriver::Run() {
    for (std::size_t i = 0; i < scripts_.size(); ++i) {
        HWND dialog = WaitForDialog();
        if (dialog == nullptr) {
            failures_.push_back("program dialog " + std::to_string(i + 1) + " did not open");
            break;
        }
        opened_.push_back(ReadFields(dialog));
        const std::string name = "program dialog " + std::to_string(i + 1);
        const std::string failure = Drive(dialog, scripts_[i]);
        if (!failure.empty()) {
            failures_.push_back(name + failure);
            Send(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        }
        // The next dialog is another window: wait until this one is gone.
        const DWORD start = GetTickCount();
        while (IsWindow(dialog) && GetTickCount() - start < kPatience) {
            Sleep(10);
        }
    }
    if (quitThread_ != 0) {
        PostThreadMessageA(quitThread_, WM_QUIT, 0, 0);
    }
}

std::string ProgramDialogDriver::Drive(HWND dialog, const DialogScript& script) {
    for (std::size_t i = 0; i < script.size(); ++i) {
        const DialogStep& step = script[i];
        if (!IsWindow(dialog)) {
            return " closed before step " + std::to_string(i + 1);
        }
        SetItemText(dialog, IDC_PROG_TITLE, step.title);
        SetItemText(dialog, IDC_PROG_PATH, step.path);
        SetItemText(dialog, IDC_PROG_PARAMS, step.parameters);
        SetItemText(dialog, IDC_PROG_SECTION, step.section);
        if (step.group >= 0) {
            // As the user's choice in the drop-down list sends it.
            HWND combo = GetDlgItem(dialog, IDC_PROG_GROUP);
            Send(combo, CB_SETCURSEL, static_cast<WPARAM>(step.group), 0);
            Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROG_GROUP, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
            Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROG_GROUP, CBN_CLOSEUP),
                 reinterpret_cast<LPARAM>(combo));
        }
        // Returns once the button's work is done, error boxes answered.
        Send(dialog, WM_COMMAND, MAKEWPARAM(step.button, BN_CLICKED),
             reinterpret_cast<LPARAM>(GetDlgItem(dialog, step.button)));
    }
    const DWORD start = GetTickCount();
    while (IsWindow(dialog) && GetTickCount() - start < kPatience) {
        Sleep(10);
    }
    return IsWindow(dialog) ? " stayed open after its last step" : std::string();
}

} // namespace kvtest
