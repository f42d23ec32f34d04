// Telling the user what a writer or remover did.
#pragma once

#include "entries/location_outcome.h"

#include <windows.h>

#include <string>

namespace kv {

// The status-bar text of an outcome; empty for one that says nothing.
std::string OutcomeStatusText(const LocationOutcome& outcome);

// Shows the outcome's message box, if it has one (owned by the main window),
// and gives its status-bar text; empty for an outcome that says nothing.
std::string ReportOutcome(const LocationOutcome& outcome);

// ReportOutcome, its text left in PendingStatusText for the refresh that
// follows.
void ReportOutcomeLater(const LocationOutcome& outcome);

// The string-table text to show when a change of the disabled store failed:
// why it could not be read whole, when that was the cause; that it would have
// grown too large to be read back, when the change was refused for that; else
// that it could not be written.
UINT DisabledStoreFailureText();

} // namespace kv
