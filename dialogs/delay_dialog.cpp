#include "dialogs/delay_dialog.h"

#include "base/strings.h"
#include "entries/startup_entry.h"
#include "resource.h"

#include <commctrl.h>

namespace kv {

bool DelayOfInput(const std::string& text, int& seconds) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return false;
    }
    const std::size_t last = text.find_last_not_of(" \t");
    long long value = 0;
    for (std::size_t i = first; i <= last; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
        if (value > kMaxDelaySeconds) {
            return false;
        }
    }
    seconds = static_cast<int>(value);
    return true;
}

namespace {

struct DelayDialogData {
    int* seconds;
};

std::string EditText(HWND edit) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(edit)) + 1, '\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextA(edit, &text[0], static_cast<int>(text.size()))));
    return text;
}

INT_PTR CALLBACK DelayDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        const DelayDialogData* data = reinterpret_cast<const DelayDialogData*>(lParam);
        HWND edit = GetDlgItem(dialog, IDC_DELAY_SECONDS);
        HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE));
        HWND spin = CreateUpDownControl(WS_CHILD | WS_VISIBLE | WS_BORDER | UDS_ALIGNRIGHT |
                                            UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                        0, 0, 0, 0, dialog, 0, instance, edit, 0, 0, 0);
        SendMessageA(spin, UDM_SETRANGE32, 0, kMaxDelaySeconds);
        SendMessageA(spin, UDM_SETPOS32, 0, static_cast<LPARAM>(*data->seconds));
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SetFocus(edit);
        return FALSE; // the focus is set
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: {
            const DelayDialogData* data =
                reinterpret_cast<const DelayDialogData*>(GetWindowLongPtrA(dialog, DWLP_USER));
            HWND edit = GetDlgItem(dialog, IDC_DELAY_SECONDS);
            int seconds = 0;
            if (!DelayOfInput(EditText(edit), seconds)) {
                MessageBoxA(dialog, LoadText(IDS_DELAY_RANGE).c_str(), "Kelvorin",
                            MB_OK | MB_ICONEXCLAMATION);
                SendMessageA(edit, EM_SETSEL, 0, -1);
                SetFocus(edit);
                return TRUE;
            }
            *data->seconds = seconds;
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

bool RunDelayDialog(HINSTANCE instance, HWND owner, int& seconds) {
    int chosen = seconds < 0 || seconds > kMaxDelaySeconds ? kDefaultDelaySeconds : seconds;
    DelayDialogData data{&chosen};
    const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_DELAY), owner,
                                           DelayDialogProc, reinterpret_cast<LPARAM>(&data));
    if (result != IDOK) {
        return false;
    }
    seconds = chosen;
    return true;
}

} // namespace kv
