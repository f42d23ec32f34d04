// Files dropped on the entry list. Each drop is released the moment it
// comes, whatever runs then (a message box or dialog with its own loop too),
// and its files wait in drop order; the program's message loop offers them,
// one program dialog each, once it runs again.
#pragma once

#include <windows.h>

namespace kv {

// Makes the entry list take the drops itself, so that a drop is taken also
// while another loop than the program's runs.
void TakeDropsOnEntryList(HWND list);

// Offers the waiting files one after another: the program dialog opens for
// each, the next when the last has closed. Files dropped meanwhile follow.
void OfferDroppedFiles();

} // namespace kv
