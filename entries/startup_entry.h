// One program that Windows starts automatically, as one row of the entry list
// shows it: four texts, an icon and a check box.
#pragma once

#include <string>

namespace kv {

// Icon index meaning "look up the icon of iconPath" (see FileIconIndex).
constexpr int kIconLookup = -1;

struct StartupEntry {
    std::string title;    // value name, file name, or program file name
    std::string command;  // value data, link target and arguments, or win.ini item
    std::string status;   // "Остановлено" or "Выполняется"
    std::string location; // location string: where the entry lives
    // The icon: an index into the system image list, or kIconLookup while
    // the reader has only named the file whose icon the row should show.
    int icon = kIconLookup;
    std::string iconPath;
    bool checked = false; // active in its location; unchecked = disabled
    bool selected = false;
};

} // namespace kv
