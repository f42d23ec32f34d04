// The program's message boxes: questions, information and errors with the
// caption "Kelvorin", owned by the main window unless an owner is given, and
// the question asked before a command on the selected rows.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace kv {

// A question with Yes and No; true for Yes.
bool Ask(const std::string& question, HWND owner = nullptr);

// Information with OK.
void Inform(const std::string& text, HWND owner = nullptr);

// An error with OK; the error icon.
void ShowError(const std::string& text, HWND owner = nullptr, const char* caption = "Kelvorin");

// The question before a command on `count` selected rows, asked only when
// the confirmation switch for one row or for several is on: for one row the
// head, its name and " ?"; for several the head of many, the number, a
// blank and the tail. True to go on.
struct RowsQuestion {
    UINT oneHead;
    UINT manyHead;
    UINT manyTail;
    int askOne;  // the switch for one row
    int askMany; // the switch for several rows
};
bool ConfirmRows(const RowsQuestion& question, std::size_t count, const std::string& oneName);

} // namespace kv
