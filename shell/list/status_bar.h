// The status bar of the main window: the left part for progress texts,
// hints, descriptions and results, the right part for the count text.
#pragma once

#include <string>

namespace kv {

// Left part of the status bar.
void ShowStatusText(const std::string& text);
// What the left part shows now.
std::string CurrentStatusText();

// Right part of the status bar: totals of all, disabled and selected rows;
// the part is widened or narrowed to the text.
void UpdateCountText();

// The width the right status-bar part needs to show this text whole: the
// text in the status bar's font with the part's edges, margins and size
// grip; never less than kStatusRightPartWidth.
int CountPartWidth(const std::string& text);

// Divides a status bar of this width into its two parts: the right one as
// wide as its current count text needs, the left one the rest.
void SetStatusBarParts(int width);

// Layout numbers.
constexpr int kStatusBarHeight = 20;
constexpr int kStatusRightPartWidth = 270; // the least width of the right part
constexpr int kStatusTextMargin = 4;       // on each side of a part's text

} // namespace kv
