// Telling the user what a writer or remover did.
#pragma once

#include "entries/location_outcome.h"
#include "moves/move_texts.h"

#include <windows.h>

#include <string>

namespace kv {

// Shows the outcome's message box, if it has one (owned by the main window),
// and gives its status-bar text; empty for an outcome that says nothing.
std::string ReportOutcome(const LocationOutcome& outcome);

// ReportOutcome, its text left in PendingStatusText for the refresh that
// follows.
void ReportOutcomeLater(const LocationOutcome& outcome);

} // namespace kv
