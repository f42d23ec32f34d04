// Drives the program dialog (new/edit program) of the test process from a
// second thread, as a user would: it waits for each dialog to open, records
// what the dialog shows, types into its fields, picks a group and presses its
// buttons. Error boxes the dialog shows meanwhile are answered by a
// MessageBoxAnswerer, which the test runs beside it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kvtest {

// What a program dialog shows (texts in the system code page).
struct ProgramDialogFields {
    std::string title;
    std::string path;
    std::string parameters;
    std::string section;
    int group = -1;
    int groupCount = 0;
    bool sectionLabelEnabled = false;
};

// One press of a button, with what is typed and picked before it. Fields
// not given are left as they are. Texts are UTF-8.
struct DialogStep {
    std::optional<std::string> title;
    std::optional<std::string> path;
    std::optional<std::string> parameters;
    std::optional<std::string> section;
    int group = -1; // -1: left as it is
    int button = IDOK;
};

// The steps taken in one dialog; the last one is to close it.
using DialogScript = std::vector<DialogStep>;

class ProgramDialogDriver {
  public:
    // One script per dialog, for the dialogs in the order they open. With a
    // thread id, a quit message is posted to that thread once every dialog
    // has closed (or the driver gave up), to end a message loop.
    explicit ProgramDialogDriver(std::vector<DialogScript> scripts, DWORD quitThread = 0);
    ~ProgramDialogDriver(); // waits; reports dialogs that did not open or close

    ProgramDialogDriver(const ProgramDialogDriver&) = delete;
    ProgramDialogDriver& operator=(const ProgramDialogDriver&) = delete;

    // Waits until the driver is done. Then: what each dialog showed when it opened.
    const std::vector<ProgramDialogFields>& Opened();

  private:
    void Run();
    // Empty when the dialog closed after its last step; else what went wrong.
    std::string Drive(HWND dialog, const DialogScript& script);

    std::vector<DialogScript> scripts_;
    DWORD quitThread_;
    std::vector<ProgramDialogFields> opened_;
    std::vector<std::string> failures_;
    std::thread thread_;
};

} // namespace kvtest
