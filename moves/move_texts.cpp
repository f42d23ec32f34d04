#include "moves/move_texts.h"

#include "base/strings.h"
#include "records/disabled_store.h"
#include "resource.h"

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
    case OutcomeKind::OnlySwitched:
        return LoadText(IDS_SVC) + outcome.name + LoadText(IDS_ONLY_SWITCHED);
    case OutcomeKind::None:
        break;
    }
    return std::string();
}

unsigned DisabledStoreFailureText() {
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

std::string EnabledText(const StartupEntry& entry) {
    return LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_WAS_ENABLED);
}

std::string DisabledText(const StartupEntry& entry) {
    return LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_WAS_DISABLED);
}

std::string DelayedText(const StartupEntry& entry) {
    return LoadText(IDS_DELAYED_HEAD) + entry.title + LoadText(IDS_DELAYED_BY) +
           std::to_string(entry.delaySeconds) + LoadText(IDS_DELAY_SECONDS);
}

std::string SwitchNotOnText(const StartupEntry& entry) {
    return LoadText(IDS_SVC) + entry.title + LoadText(IDS_SWITCH_NOT_ON);
}

std::string ReplaceQuestion(const StartupEntry& entry) {
    return LoadText(IDS_REPLACE_IN) + entry.location + LoadText(IDS_REPLACE_HAS) + entry.title +
           LoadText(IDS_REPLACE_ASK);
}

std::string CameBackText(const StartupEntry& entry) {
    return LoadText(IDS_GUARD_HEAD) + entry.title + LoadText(IDS_GUARD_TAIL);
}

std::string GoneText(const StartupEntry& entry) {
    return LoadText(IDS_SVC) + entry.title + LoadText(IDS_ENTRY_GONE) + entry.location +
           LoadText(IDS_LIST_REFRESHED);
}

} // namespace kv
