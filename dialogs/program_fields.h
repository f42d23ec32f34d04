// What the program dialog asks for: its fields, the group list, and the
// checks of the fields before anything is written. Plain data and rules,
// without a window.
#pragma once

#include <string>

namespace kv {

// The fields of the program dialog: what the user typed and picked.
struct ProgramFields {
    std::string title;
    std::string path;
    std::string parameters;
    std::string section; // RunOnceEx only
    int group = 0;       // the position in the group list (kGroup... of catalogue.h)
};

// What OK asks of the fields for each group.
enum class GroupCheck {
    Heading,  // names no location: refused
    Titled,   // title and path
    Section,  // title, path and a RunOnceEx section
    Untitled, // a path alone: a win.ini item
};

// One item of the group list.
struct GroupItem {
    const char* text;
    int picture; // in the group image list
    int indent;  // in the combo box's units of 10 pixels
    GroupCheck check;
};

// The item of a group number; group 0 (a heading) for a number outside the list.
const GroupItem& GroupItemOf(int group);

// The two field sets mean the same entry as the dialog shows it: the same
// texts and group, and the same section where the group has one.
bool SameFields(const ProgramFields& a, const ProgramFields& b);

// What the checks need to know of the system besides the fields.
struct FieldFacts {
    // Groups of a Startup folder: that folder's path; empty when it is not known.
    std::string startupFolder;
    // win.ini groups: the item the path becomes in the line (its short form).
    std::string winIniItem;
    // The fields change a disabled entry's record, not a location.
    bool editingDisabled = false;
};

// The string-table text of the first problem of the fields, in the order the
// user meets them; 0 when there is none.
unsigned FirstFieldProblem(const ProgramFields& fields, const FieldFacts& facts);

} // namespace kv
