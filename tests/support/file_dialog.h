// Answers the program's open and save dialogs from a second thread, as a user
// would: it waits for the dialog with the expected caption, types the file
// name and presses OK (or presses Cancel), and confirms a question about
// replacing a file. A dialog that never comes fails the test.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace kvtest {

class FileDialogAnswerer {
  public:
    // `path` empty: the dialog is cancelled. Without `confirmReplace` the
    // dialog's question about replacing a file is left to a MessageBoxAnswerer.
    FileDialogAnswerer(const std::string& captionUtf8, const std::string& path,
                       bool confirmReplace = true);
    ~FileDialogAnswerer();
    FileDialogAnswerer(const FileDialogAnswerer&) = delete;
    FileDialogAnswerer& operator=(const FileDialogAnswerer&) = delete;

    // Pumps the calling thread's messages until the dialog was answered, or
    // the time is up.
    void WaitAnswered(DWORD milliseconds = 10000);
    bool answered() const { return answered_; }

  private:
    void Run();

    std::string caption_;
    std::string path_;
    bool confirmReplace_;
    std::atomic<bool> answered_{false};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace kvtest
