// The real main window, created inside the test process.
#pragma once

#include "support/files.h"
#include "support/registry_fixture.h"

#include <windows.h>

#include <string>
#include <vector>

namespace kvtest {

// Handles messages waiting for this thread (and, for `milliseconds`, those
// that come in meanwhile).
void PumpMessages(DWORD milliseconds = 0);

// Every text the status bar was given for its left part, in order, from the
// moment Start was called: the progress texts of a refresh show up here.
class StatusBarRecorder {
  public:
    void Start();
    void Stop();
    const std::vector<std::string>& texts() const { return texts_; }

  private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    std::vector<std::string> texts_;
    WNDPROC previous_ = nullptr;
};

// Creates the main window (not shown) with an empty startup registry, and
// destroys it after the test. The program's own folder, where settings.ini
// lives, is a fresh temporary folder for each test; a derived fixture that
// names its own folder before SetUp keeps that one.
class MainWindowTest : public StartupRegistryTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The folder that stands in for the program's own.
    const std::string& programFolder() const { return programFolderPath_; }
    // Writes one value of settings.ini in that folder.
    void WriteSetting(const std::string& section, const std::string& key, int value);
    // Sends a command to the main window as a menu choice would.
    void SendCommand(UINT command);

    // Creates the main window; its creation runs the first scan.
    void OpenMainWindow();
    // Creates it as a start with "/startup" at this GetTickCount64 does.
    void OpenMainWindowStartingDelayedEntries(unsigned long long startTick);
    void CloseMainWindow();

    HWND window() const { return window_; }
    HWND list() const;
    HWND header() const;
    std::string StatusText(int part) const;
    // Clicks the header of a column (by its creation index) with the mouse.
    void ClickColumnHeader(int column);
    // Titles of the rows, top first.
    std::vector<std::string> Titles() const;
    // The first row with this title; -1 when there is none.
    int RowWithTitle(const std::string& title) const;
    // "Проверить изменения" that finds nothing: its two boxes, in this order.
    void CheckFindingNothing();
    // "Восстановить список ...": Yes to its question, this file in its dialog.
    void RestoreListFrom(const std::string& file);
    // Clicks a row's box the way the user does: the list reports the change.
    void SetBox(const std::string& title, bool checked);

  private:
    void CreateWindowNow();

    TempFolder ownFolder_{"kvwin"};
    std::string programFolderPath_;
    HWND window_ = nullptr;
};

} // namespace kvtest
