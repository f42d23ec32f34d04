#include "shell/outcome_report.h"

#include "base/strings.h"
#include "records/disabled_store.h"
#include "shell/app_state.h"
#include "shell/message_boxes.h"
#include "resource.h"

#include <windows.h>

namespace kv {

std::string OutcomeStatusText(const LocationOutcome& outcome) {
    switch (outcome.kind) {
    case OutcomeKind::Created:
        return LoadText(IDS_SVC) + outcome.name + LoadText(IDS_SVC_CREATED);
    case OutcomeKind::NotCreated:
        return LoadText(IDS_SVC) + outcome.name + LoadText(IDS_SVC_NOT_CREATED);
    case OutcomeKind::Removed:
        return LoadText(IDS_SVC) + outcome.name + LoadText(IDS_SVC_DELETED);
    case OutcomeKind::NotRemoved:
        return LoadText(IDS_SVC_CANT_DELETE) + outcome.name + LoadText(IDS_SVC_CANT_DELETE_TAIL);
    case OutcomeKind::UnknownLocation:
        return LoadText(IDS_SVC) + outcome.name + LoadText(IDS_UNKNOWN_LOCATION) + outcome.detail;
    case OutcomeKind::BadFileName:
        return LoadText(IDS_SVC) + outcome.name + LoadText(IDS_BAD_FILE_NAME);
    case OutcomeKind::NotExact:
        return LoadText(IDS_SVC) + outcome.name + LoadText(IDS_NOT_EXACT);
    case OutcomeKind::CannotBeKept:
        return LoadText(IDS_SVC) + outcome.name + LoadText(IDS_NO_WRITER_DISABLE);
    case OutcomeKind::None:
        break;
    }
    return std::string();
}

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

UINT DisabledStoreFailureText() {
    switch (DisabledStoreRead()) {
    case FileRead::TooLarge:
        return IDS_STORE_TOO_LARGE;
    case FileRead::Unreadable:
        return IDS_STORE_UNREADABLE;
    case FileRead::Whole:
    case FileRead::Missing:
        break;
    }
    if (DisabledStoreRefusedAsTooLarge()) {
        return IDS_STORE_WOULD_GROW;
    }
    return IDS_STORE_NOT_WRITTEN;
}

} // namespace kv
