// One program that Windows starts automatically, as one row of the entry list
// shows it: four texts, an icon and a check box.
#pragma once

#include <string>

namespace kv {

// Icon index meaning "look up the icon of iconPath" (see FileIconIndex).
constexpr int kIconLookup = -1;
// Icon index meaning "the icon of the program file the command starts",
// looked up only when the row is shown.
constexpr int kIconOfCommand = -2;

// What a location holds for an entry beyond its texts, taken before the entry
// leaves its location so that enabling it puts back exactly that.
struct KeptForm {
    // A registry value: its own type and bytes (the row shows the bytes as
    // text, up to the first zero byte).
    bool hasValue = false;
    unsigned long valueType = 1; // REG_SZ
    std::string valueBytes;
    // The bytes are as the registry's wide calls give them (string data in
    // UTF-16): the system code page could not carry them.
    bool wide = false;
    // A file of a Startup folder: the path of the copy kept meanwhile, with
    // every property of the original (a shell link's working folder, icon,
    // description, hot key, and a target that is not a file).
    std::string file;

    bool empty() const { return !hasValue && file.empty(); }
};

struct StartupEntry {
    std::string title;    // value name, file name, or program file name
    std::string command;  // value data, link target and arguments, or win.ini item
    std::string location; // location string: where the entry lives
    // The exact name of a registry value or a Startup-folder file whose name
    // the system code page cannot carry (the title shows "?" in its place);
    // empty when the title is the name.
    std::wstring exactName;
    // The icon: an index into the system image list, kIconLookup while the
    // reader has only named the file whose icon the row should show, or
    // kIconOfCommand.
    int icon = kIconLookup;
    std::string iconPath;
    bool checked = false; // active in its location; unchecked = disabled
    bool running = false; // its program runs now: status "Выполняется", else "Остановлено"
    // Active in its location, but Windows' own startup switch says off: its
    // box shows it disabled, and Windows does not start it.
    bool switchedOff = false;
    // A task whose switch a policy holds (on or off): the user cannot
    // change it, and an off one says so in its status.
    bool byPolicy = false;
    bool selected = false;
    KeptForm kept; // disabled entries: what their record keeps
    // A delayed entry: out of its location as a disabled one, and started by
    // this program that many seconds after logon; 0 = not delayed.
    int delaySeconds = 0;
};

// The longest delay of a delayed start, in seconds (one hour).
constexpr int kMaxDelaySeconds = 3600;

} // namespace kv
