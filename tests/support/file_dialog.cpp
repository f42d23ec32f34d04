#include "support/file_dialog.h"

#include "support/main_window_fixture.h"
#include "support/own_dialogs.h"
#include "support/text.h"

#include <gtest/gtest.h>

namespace kvtest {

namespace {

std::string Caption(HWND window) {
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    return caption;
}

} // namespace

FileDialogAnswerer::FileDialogAnswerer(const std::string& captionUtf8, const std::string& path,
                                       bool confirmReplace)
    : caption_(Ansi(captionUtf8)), path_(path), confirmReplace_(confirmReplace) {
    thread_ = std::thread([this] { Run(); });
}

FileDialogAnswerer::~FileDialogAnswerer() {
    stop_ = true;
    thread_.join();
    if (!answered_) {
        ADD_FAILURE() << "the file dialog did not come: " << Utf8(caption_);
    }
}

void FileDialogAnswerer::WaitAnswered(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (!answered_ && GetTickCount() - start < milliseconds) {
        PumpMessages(20);
    }
    PumpMessages(100);
}

void FileDialogAnswerer::Run() {
    while (!stop_) {
        // The file name box of an explorer-style dialog; a question of the
        // dialog ("Replace the file?") has a Yes button instead.
        const HWND dialog = FindOwnDialog([this](HWND window) {
            return Caption(window) == caption_ && GetDlgItem(window, 0x47C) != nullptr;
        });
        const HWND prompt = FindOwnDialog([this](HWND window) {
            return Caption(window) == caption_ && GetDlgItem(window, IDYES) != nullptr;
        });
        if (prompt != nullptr && confirmReplace_) {
            // Yes, as the user meant.
            PostMessageA(prompt, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
        } else if (prompt == nullptr && dialog != nullptr && !answered_) {
            if (path_.empty()) {
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            } else {
                SetDlgItemTextA(dialog, 0x47C, path_.c_str());
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
            answered_ = true;
        }
        Sleep(30);
    }
}

} // namespace kvtest
