// Reading the tree and list controls of another process's windows, as a user
// sees them, and closing that process's windows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kvtest {

// The top-level windows of this class, of any process.
std::vector<HWND> TopLevelWindowsOfClass(const std::string& className);
// The first window of the class among all descendants of the window.
HWND DescendantOfClass(HWND parent, const std::string& className);

// The texts of a tree's selected item and of every item above it, the top
// item first; empty when nothing is selected or the tree does not answer.
std::vector<std::string> TreeSelectionPath(HWND tree);
// The text (first column) of a list's first selected item; empty when none
// is selected or the list does not answer.
std::string ListSelectionText(HWND list);

// Asks the window to close and ends its process if it is still there after a
// while; waits until the process is gone.
void CloseProcessWindow(HWND window);

} // namespace kvtest
