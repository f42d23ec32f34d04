// What the program dialog asks for: its fields and the
// checks of the fields before anything is written. Plain data and rules,
// without a window.
#pragma once

#include "dialogs/program_groups.h"

#include <string>

namespace kv {

// The fields of the program dialog: what the user typed and picked.
struct ProgramFields {
    std::string title;
    std::string path;
    std::string parameters;
    std::string section; // RunOnceEx only
    int group = 0;       // the position in the group list (kGroup... of program_groups.h)
};

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
