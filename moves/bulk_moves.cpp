#include "moves/bulk_moves.h"

#include "base/strings.h"
#include "entries/catalogue.h"
#include "entries/entry_identity.h"
#include "entries/location_dispatch.h"
#include "entries/registry.h"
#include "entries/startup_switch.h"
#include "moves/location_now.h"
#include "moves/move_steps.h"
#include "moves/move_texts.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "resource.h"

#include <algorithm>

namespace kv {

namespace {

BulkOutcome AllFailed(std::size_t count, const std::string& text) {
    BulkOutcome outcome;
    outcome.results.assign(count, MoveResult::Failed);
    outcome.moved.resize(count);
    outcome.switchStaysOff.assign(count, false);
    outcome.written.resize(count);
    outcome.text = text;
    return outcome;
}

bool SameRecord(const StartupEntry& a, const StartupEntry& b) {
    return SameTexts(a, b) && a.kept.file == b.kept.file;
}

} // namespace

BulkOutcome TakeOutAll(const std::vector<StartupEntry>& shown,
                       const std::vector<std::size_t>& places,
                       const std::vector<StartupEntry>& disabledRows) {
    if (!DisabledStoreMayChange()) {
        return AllFailed(shown.size(), StoreFailure());
    }
    BulkOutcome outcome = AllFailed(shown.size(), std::string());
    // Every entry's form is kept as its location holds it now, and the store
    // written once with all of them, each at its place; then they leave
    // their locations, and the snapshot learns of it once. An end between
    // the two writes leaves some entries in both places, which the next
    // refresh resolves. Each key is opened once for all of its values.
    const SharedKeysScope keys;
    std::vector<StartupEntry> store = AlignedStore(disabledRows);
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        StartupEntry entry = shown[i];
        LocationOutcome refusal;
        if (!KeepEntryForm(entry, NewKeptFilePath, refusal)) {
            const bool gone = refusal.kind == OutcomeKind::NotRemoved;
            outcome.results[i] = gone ? MoveResult::Stale : MoveResult::Refused;
            outcome.anyStale = outcome.anyStale || gone;
            outcome.text = gone ? GoneText(shown[i]) : OutcomeStatusText(refusal);
            continue;
        }
        // A value keeps its bytes, a file its copy; a win.ini item nothing.
        if (entry.kept.hasValue) {
            entry.command = CommandOfKeptValue(entry.kept);
        } else if (entry.kept.file.empty() && !LocationHolds(entry)) {
            outcome.results[i] = MoveResult::Stale;
            outcome.anyStale = true;
            outcome.text = GoneText(shown[i]);
            continue;
        }
        // Its place among the stored entries once those above it are in.
        const std::size_t place = i < places.size() ? places[i] : store.size();
        store.insert(store.begin() + static_cast<std::ptrdiff_t>(
                                         std::min(place + kept.size(), store.size())),
                     entry);
        outcome.moved[i] = std::move(entry);
        kept.push_back(i);
    }
    if (kept.empty()) {
        return outcome;
    }
    if (!WriteDisabledStore(store)) {
        for (std::size_t i : kept) {
            DiscardKeptFile(outcome.moved[i].kept.file);
        }
        outcome.text = StoreFailure();
        return outcome;
    }
    std::vector<StartupEntry> gone;
    std::vector<StartupEntry> stayed;
    gone.reserve(kept.size());
    LocationOutcome lastRemoval;
    for (std::size_t i : kept) {
        const StartupEntry& entry = outcome.moved[i];
        lastRemoval = RemoveEntry(entry);
        if (lastRemoval.succeeded()) {
            outcome.results[i] = MoveResult::Done;
            gone.push_back(shown[i]);
            if (!SameTexts(shown[i], entry)) {
                gone.push_back(entry);
            }
        } else {
            stayed.push_back(entry);
        }
    }
    // The status bar tells of the last entry: its text is made once.
    const StartupEntry& last = outcome.moved[kept.back()];
    outcome.text = lastRemoval.succeeded() ? DisabledText(last) : NotRemovedText(last, lastRemoval);
    SnapshotMoveEntries(gone, {});
    // Entries that did not leave lose their records and copies again.
    if (!stayed.empty()) {
        std::vector<StartupEntry> without;
        for (const StartupEntry& record : store) {
            if (std::none_of(stayed.begin(), stayed.end(),
                             [&](const StartupEntry& s) { return SameRecord(s, record); })) {
                without.push_back(record);
            }
        }
        if (WriteDisabledStore(without)) {
            for (const StartupEntry& entry : stayed) {
                DiscardKeptFile(entry.kept.file);
            }
        }
    }
    return outcome;
}

BulkOutcome PutBackAll(const std::vector<StartupEntry>& shown,
                       const std::vector<std::size_t>& places, const Consent& consent) {
    if (!DisabledStoreMayChange()) {
        return AllFailed(shown.size(), StoreFailure());
    }
    BulkOutcome outcome = AllFailed(shown.size(), std::string());
    const SharedKeysScope keys;
    const std::vector<StartupEntry> store = AlignedStore(shown);
    std::vector<bool> taken(store.size(), false);
    std::vector<std::size_t> index(shown.size(), store.size());
    // Each location is read first: an entry of the same name there now is
    // replaced only with consent, and one kept stays in the store.
    std::vector<StartupEntry> writing;
    std::vector<StartupEntry> replaced;
    std::vector<std::size_t> writingOf;
    std::vector<StartupEntry> replacedOf(shown.size());
    std::vector<bool> replacing(shown.size(), false);
    std::vector<SetAside> aside(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (!FindStored(store, shown[i], i < places.size() ? places[i] : store.size(), taken,
                        index[i])) {
            outcome.results[i] = MoveResult::Stale;
            outcome.anyStale = true;
            outcome.text = GoneText(shown[i]);
            continue;
        }
        const StartupEntry& entry = store[index[i]];
        outcome.moved[i] = entry;
        StartupEntry now;
        const Way way = AskWay(entry, consent, now);
        if (way == Way::Declined) {
            outcome.results[i] = MoveResult::Declined;
            outcome.text = KeptBothText(entry);
            continue;
        }
        if (way == Way::Present) {
            outcome.results[i] = MoveResult::Done; // the very item is there
            continue;
        }
        if (way == Way::Agreed) {
            std::string why;
            if (!ClearWay(now, aside[i], why)) {
                outcome.text = why;
                continue;
            }
            replaced.push_back(now);
            replacedOf[i] = now;
            replacing[i] = true;
        }
        writing.push_back(entry);
        writingOf.push_back(i);
    }
    // The snapshot learns of every entry first, then they go back into their
    // locations, and the store is written once without them.
    SnapshotMoveEntries(replaced, writing);
    // Windows' switches are read once: only an entry whose switch is off
    // needs it turned on.
    const SwitchedOffEntries switchedOff = SwitchedOffEntries::Read();
    std::vector<StartupEntry> notBack;
    std::vector<StartupEntry> stayedIn;
    // The status bar tells of the last entry: its text is made once.
    LocationOutcome lastWrite;
    for (std::size_t i : writingOf) {
        const StartupEntry& entry = outcome.moved[i];
        lastWrite = WriteKeptEntry(entry);
        outcome.written[i] = lastWrite;
        EndSetAside(aside[i], lastWrite.succeeded());
        if (!lastWrite.succeeded()) {
            notBack.push_back(entry);
            if (replacing[i]) {
                stayedIn.push_back(replacedOf[i]); // set aside and back, or never replaced
            }
            continue;
        }
        outcome.results[i] = MoveResult::Done;
        if (!switchedOff.empty() &&
            switchedOff.Contains(ClassifyLocation(entry.location), entry) && !TurnSwitchOn(entry)) {
            outcome.switchStaysOff[i] = true;
        }
    }
    if (!writingOf.empty()) {
        const std::size_t last = writingOf.back();
        const StartupEntry& entry = outcome.moved[last];
        outcome.text = !lastWrite.succeeded()       ? NotWrittenText(entry, lastWrite)
                       : outcome.switchStaysOff[last] ? SwitchNotOnText(entry)
                                                      : EnabledText(entry);
    }
    if (!notBack.empty()) {
        SnapshotMoveEntries(notBack, stayedIn);
    }
    // The store keeps every record but those of the entries that are back.
    std::vector<bool> back(store.size(), false);
    bool anyBack = false;
    for (std::size_t i = 0; i < shown.size(); ++i) {
        if (outcome.results[i] == MoveResult::Done) {
            back[index[i]] = true;
            anyBack = true;
        }
    }
    if (!anyBack) {
        return outcome;
    }
    std::vector<StartupEntry> rest;
    for (std::size_t i = 0; i < store.size(); ++i) {
        if (!back[i]) {
            rest.push_back(store[i]);
        }
    }
    if (!WriteDisabledStore(rest)) {
        outcome.text = StoreFailure();
        return outcome;
    }
    for (std::size_t i = 0; i < store.size(); ++i) {
        if (back[i]) {
            DiscardKeptFile(store[i].kept.file);
        }
    }
    return outcome;
}

} // namespace kv
