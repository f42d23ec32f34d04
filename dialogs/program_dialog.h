// The new/edit program dialog: it shows the fields it is given, checks what
// the user typed and hands the fields to the caller, which writes them.
#pragma once

#include "dialogs/program_fields.h"

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

namespace kv {

struct ProgramDialogRequest {
    HINSTANCE instance = nullptr;
    HWND owner = nullptr;
    HIMAGELIST groupImages = nullptr; // the pictures of the group list
    // The fields the dialog opens with: empty with group 0 for a new
    // program; the row's texts and group when an entry is edited.
    ProgramFields prefill;
    // A dropped file: the path and, as the title, its file name.
    std::string droppedFile;
    // The fields change a disabled entry's record.
    bool editingDisabled = false;
    // Called on OK once the fields pass their checks; writes what they say.
    // True closes the dialog; false keeps it open with the user's input (the
    // callee has told the user why).
    std::function<bool(HWND dialog, const ProgramFields& fields)> accept;
};

// Runs the dialog modal; true when it was closed by OK.
bool RunProgramDialog(const ProgramDialogRequest& request);

// The full path of a file; the text itself when the system cannot make one.
std::string FullPath(const std::string& path);

} // namespace kv
