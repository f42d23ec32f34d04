#include "shell/frame/outcome_report.h"

#include "base/strings.h"
#include "shell/frame/app_state.h"
#include "shell/frame/message_boxes.h"
#include "resource.h"

#include <windows.h>

namespace kv {

std::string ReportOutcome(const LocationOutcome& outcome) {
    switch (outcome.box) {
    case OutcomeBox::CantCreateValue: {
        const std::string text =
            LoadText(IDS_CANT_CREATE) + outcome.name + LoadText(IDS_CANT_CREATE_TAIL);
        ShowError(text, nullptr, "Error");
        break;
    }
    case OutcomeBox::CantCreateSection: {
        const std::string text = LoadText(IDS_CANT_CREATE_SECTION);
        ShowError(text);
        break;
    }
    case OutcomeBox::None:
        break;
    }
    return OutcomeStatusText(outcome);
}

void ReportOutcomeLater(const LocationOutcome& outcome) {
    const std::string text = ReportOutcome(outcome);
    if (!text.empty()) {
        g_app.PendingStatusText = text;
    }
}

} // namespace kv
