#include "support/message_box_answerer.h"

#include "support/main_window_fixture.h"
#include "support/own_dialogs.h"
#include "support/text.h"

#include <gtest/gtest.h>

namespace kvtest {

namespace {

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(window, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

// A message box's text is the static control 0xFFFF; a file dialog has a
// scroll bar of that number, and is no message box.
bool IsMessageBox(HWND window) {
    HWND text = GetDlgItem(window, 0xFFFF);
    char itemClass[64] = {};
    if (text != nullptr) {
        GetClassNameA(text, itemClass, sizeof(itemClass));
    }
    return lstrcmpiA(itemClass, "Static") == 0;
}

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer() {
    thread_ = std::thread([this] { Run(); });
}

MessageBoxAnswerer::~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string& failure : failures_) {
        ADD_FAILURE() << failure;
    }
    for (std::size_t i = next_; i < expected_.size(); ++i) {
        ADD_FAILURE() << "expected message box did not come: " << Utf8(expected_[i].caption)
                      << " / " << Utf8(expected_[i].text);
    }
}

MessageBoxAnswerer& MessageBoxAnswerer::Expect(const std::string& captionUtf8,
                                               const std::string& textUtf8, int button) {
    return ExpectAndDo(captionUtf8, textUtf8, button, nullptr);
}

MessageBoxAnswerer& MessageBoxAnswerer::ExpectAndDo(const std::string& captionUtf8,
                                                    const std::string& textUtf8, int button,
                                                    std::function<void()> meanwhile) {
    std::lock_guard<std::mutex> lock(mutex_);
    expected_.push_back({Ansi(captionUtf8), Ansi(textUtf8), button, std::move(meanwhile)});
    return *this;
}

void MessageBoxAnswerer::WaitAll(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (next_ >= expected_.size()) {
                return;
            }
        }
        if (GetTickCount() - start > milliseconds) {
            return; // the destructor reports what is missing
        }
        PumpMessages(20);
    }
}

std::vector<SeenBox> MessageBoxAnswerer::Seen() {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
}

void MessageBoxAnswerer::Run() {
    while (!stop_) {
        const HWND box = FindOwnDialog(IsMessageBox);
        if (box != nullptr) {
            Answer(box);
            // Let the box go away before looking for the next one.
            for (int i = 0; i < 200 && IsWindow(box); ++i) {
                Sleep(10);
            }
        }
        Sleep(20);
    }
}

void MessageBoxAnswerer::Answer(HWND box) {
    SeenBox seen;
    seen.caption = WindowText(box);
    seen.text = WindowText(GetDlgItem(box, 0xFFFF));
    seen.owner = GetWindow(box, GW_OWNER);
    int button = 0;
    std::function<void()> meanwhile;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (next_ < expected_.size()) {
            const Expectation& expected = expected_[next_++];
            if (expected.caption != seen.caption ||
                (!expected.text.empty() && expected.text != seen.text)) {
                failures_.push_back("message box differs: expected \"" + Utf8(expected.caption) +
                                    "\" / \"" + Utf8(expected.text) + "\", got \"" +
                                    Utf8(seen.caption) + "\" / \"" + Utf8(seen.text) + "\"");
            }
            button = expected.button;
            meanwhile = expected.meanwhile;
        } else {
            failures_.push_back("unexpected message box: \"" + Utf8(seen.caption) + "\" / \"" +
                                Utf8(seen.text) + "\"");
        }
    }
    if (meanwhile) {
        meanwhile();
    }
    // Unexpected boxes are closed with whatever button they have, No first.
    const int fallbacks[] = {IDNO, IDCANCEL, IDOK};
    if (button == 0 || GetDlgItem(box, button) == nullptr) {
        for (int candidate : fallbacks) {
            if (GetDlgItem(box, candidate) != nullptr) {
                button = candidate;
                break;
            }
        }
    }
    seen.pressed = button;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        seen_.push_back(seen);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

} // namespace kvtest
