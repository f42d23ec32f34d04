// The startup report: the list as a plain text, printed through the shell or
// written for scripts.
#pragma once

namespace kv {

// "Напечатать список": asks, writes the report of the list as it is shown and
// hands it to the shell's print verb.
void PrintStartupReport();

} // namespace kv
