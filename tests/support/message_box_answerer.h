// Answers the message boxes of the test process from a second thread, as a
// user would: it waits for each box, records its caption and text, and presses
// the scripted button. A box nobody expected, or an expected box that never
// comes, fails the test.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kvtest {

struct SeenBox {
    std::string caption; // system code page
    std::string text;
    HWND owner = nullptr;
    int pressed = 0;
};

class MessageBoxAnswerer {
  public:
    MessageBoxAnswerer();
    ~MessageBoxAnswerer(); // checks that every expected box came

    // The next box must have this caption and text (UTF-8; empty text: any
    // text) and is answered with the button (IDYES, IDNO, IDOK, IDCANCEL).
    MessageBoxAnswerer& Expect(const std::string& captionUtf8, const std::string& textUtf8,
                               int button);
    // As Expect; `meanwhile` runs (on the answering thread) while the box is
    // open, before the button is pressed: what a user does behind a box.
    MessageBoxAnswerer& ExpectAndDo(const std::string& captionUtf8, const std::string& textUtf8,
                                    int button, std::function<void()> meanwhile);
    // Waits until every expected box has been answered, or fails after the time.
    void WaitAll(DWORD milliseconds = 10000);
    std::vector<SeenBox> Seen();

  private:
    struct Expectation {
        std::string caption;
        std::string text;
        int button;
        std::function<void()> meanwhile;
    };
    void Run();
    void Answer(HWND box);

    std::mutex mutex_;
    std::vector<Expectation> expected_;
    std::size_t next_ = 0;
    std::vector<SeenBox> seen_;
    std::vector<std::string> failures_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace kvtest
