// The about box: the program's name and version and its two links.
#pragma once

namespace kv {

// Opens the about box modally, owned by the main window.
void AboutBox();

} // namespace kv
