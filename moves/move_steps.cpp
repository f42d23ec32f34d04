#include "moves/move_steps.h"

#include "base/strings.h"
#include "entries/catalogue.h"
#include "entries/entry_identity.h"
#include "entries/location_dispatch.h"
#include "moves/location_now.h"
#include "moves/move_texts.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "resource.h"

#include <algorithm>

namespace kv {

MoveOutcome Outcome(MoveResult result, const StartupEntry& entry, std::string text) {
    MoveOutcome outcome;
    outcome.result = result;
    outcome.entry = entry;
    outcome.text = std::move(text);
    return outcome;
}

std::string StoreFailure() {
    return LoadText(DisabledStoreFailureText());
}

std::string NotWrittenText(const StartupEntry& entry, const LocationOutcome& outcome) {
    const std::string text = OutcomeStatusText(outcome);
    return text.empty() || outcome.kind == OutcomeKind::None
               ? LoadText(IDS_SVC) + entry.title + LoadText(IDS_SVC_NOT_CREATED)
               : text;
}

std::string NotRemovedText(const StartupEntry& entry, const LocationOutcome& outcome) {
    return outcome.kind == OutcomeKind::None
               ? LoadText(IDS_SVC_CANT_DELETE) + entry.command + LoadText(IDS_SVC_CANT_DELETE_TAIL)
               : OutcomeStatusText(outcome);
}

std::string KeptBothText(const StartupEntry& entry) {
    return LoadText(IDS_SVC) + entry.title + LoadText(IDS_KEPT_BOTH);
}

Way AskWay(const StartupEntry& entry, const Consent& consent, StartupEntry& now) {
    if (!ReadEntryNow(entry, now)) {
        return Way::Free;
    }
    if (!consent || !consent(ReplaceQuestion(entry))) {
        return Way::Declined;
    }
    return ClassifyLocation(entry.location).kind == LocationKind::WinIni ? Way::Present
                                                                          : Way::Agreed;
}

bool FindStored(const std::vector<StartupEntry>& store, const StartupEntry& shown,
                std::size_t place, std::vector<bool>& taken, std::size_t& index) {
    if (place < store.size() && !taken[place] && SameTexts(store[place], shown)) {
        index = place;
    } else {
        index = store.size();
        for (std::size_t i = 0; i < store.size() && index == store.size(); ++i) {
            if (!taken[i] && SameTexts(store[i], shown)) {
                index = i;
            }
        }
        for (std::size_t i = 0; i < store.size() && index == store.size(); ++i) {
            if (!taken[i] && SameIdentity(store[i], shown)) {
                index = i;
            }
        }
    }
    if (index == store.size()) {
        return false;
    }
    taken[index] = true;
    return true;
}

bool ClearWay(const StartupEntry& now, SetAside& aside, std::string& why) {
    const LocationKind kind = ClassifyLocation(now.location).kind;
    if (kind != LocationKind::StartupFolder) {
        return true;
    }
    aside.entry = now;
    LocationOutcome refusal;
    if (!KeepEntryForm(aside.entry, NewKeptFilePath, refusal)) {
        why = OutcomeStatusText(refusal);
        return false;
    }
    const LocationOutcome removal = RemoveEntry(aside.entry);
    if (!removal.succeeded()) {
        DiscardKeptFile(aside.entry.kept.file);
        why = OutcomeStatusText(removal);
        return false;
    }
    aside.active = true;
    return true;
}

// The write went in: the entry set aside is gone for good (the user agreed);
// it failed: the entry set aside comes back.
void EndSetAside(SetAside& aside, bool written) {
    if (!aside.active) {
        return;
    }
    if (written || WriteKeptEntry(aside.entry).succeeded()) {
        DiscardKeptFile(aside.entry.kept.file);
    }
    aside.active = false;
}

bool EraseFromStore(const StartupEntry& entry) {
    const std::vector<StartupEntry>& stored = CurrentDisabledEntries();
    for (std::size_t i = stored.size(); i-- > 0;) {
        if (SameTexts(stored[i], entry) && stored[i].kept.file == entry.kept.file) {
            return EraseDisabledEntry(i);
        }
    }
    return true;
}

namespace {

std::vector<std::string> SortedTexts(const std::vector<StartupEntry>& entries) {
    std::vector<std::string> texts;
    texts.reserve(entries.size());
    for (const StartupEntry& entry : entries) {
        texts.push_back(std::to_string(entry.title.size()) + ':' + entry.title +
                        std::to_string(entry.command.size()) + ':' + entry.command +
                        entry.location);
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

} // namespace

bool SameOrder(const std::vector<StartupEntry>& a, const std::vector<StartupEntry>& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](const StartupEntry& x, const StartupEntry& y) { return SameTexts(x, y); });
}

std::vector<StartupEntry> AlignedStore(const std::vector<StartupEntry>& rows) {
    const std::vector<StartupEntry>& store = CurrentDisabledEntries();
    if (rows.size() != store.size() || SameOrder(rows, store) ||
        SortedTexts(rows) != SortedTexts(store)) {
        return store;
    }
    return WithKeptForms(rows, store);
}

} // namespace kv
