// The tool bar in its rebar above the entry list, its tool tips and the
// folder menu of its Startup-folder button.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace kv {

constexpr int kToolBarPositions = 16;
constexpr int kStartupFolderButtonPosition = 11; // command IDM_STARTUP_FOLDER_MENU
constexpr int kBandMinWidth = 540;
constexpr int kBandMinHeight = 22;

// Creates the rebar (no band yet) as a child of the main window.
void CreateRebar(HWND window);
// Creates the tool bar with its 16 positions and images from the bitmap.
void CreateToolBar(HWND window);
// Puts the tool bar into the rebar as its one band.
void InsertToolBarBand();

// The client height of the rebar; 0 while there is none.
int RebarHeight();

// The tool tip of a tool bar command; empty for any other id.
std::string ToolTipText(UINT command);
// Answers a tool tip request (TTN_NEEDTEXTA) with the tip of the command
// named by the request's source id.
void FillToolTip(NMTTDISPINFOA* request);

// The two-entry menu of the Startup folders, shown just below the left edge
// of the tool bar button, until the user picks an entry or leaves it.
HMENU BuildStartupFolderMenu();
void ShowStartupFolderMenu();

} // namespace kv
