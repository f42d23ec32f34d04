#include "moves/entry_moves.h"

#include "base/handles.h"
#include "base/strings.h"
#include "base/text.h"
#include "entries/catalogue.h"
#include "entries/entry_identity.h"
#include "entries/location_dispatch.h"
#include "entries/registry.h"
#include "entries/startup_switch.h"
#include "moves/location_now.h"
#include "moves/move_steps.h"
#include "moves/move_texts.h"
#include "records/change_snapshot.h"
#include "records/command_change.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "resource.h"

#include <windows.h>

#include <algorithm>

namespace kv {

namespace {

// The switch value of an entry, read exactly; false when it has none.
bool ReadSwitch(const StartupEntry& entry, DWORD& type, std::string& bytes) {
    const SwitchKey where = SwitchKeyOf(ClassifyLocation(entry.location));
    RegKey key;
    return !where.keyPath.empty() && key.Open(where.root, where.keyPath, KEY_QUERY_VALUE) &&
           QueryValueWide(key.get(), ExactNameOf(entry), type, bytes) == ERROR_SUCCESS;
}

// A renamed or moved entry keeps the state of Windows' switch: a switch that
// says off is carried to the new name (where the new location has switches),
// and the old name's switch goes, so that it cannot turn off a later entry.
void CarrySwitch(const StartupEntry& from, const StartupEntry& to) {
    DWORD type = REG_NONE;
    std::string bytes;
    if (!ReadSwitch(from, type, bytes)) {
        return;
    }
    const SwitchKey where = SwitchKeyOf(ClassifyLocation(to.location));
    if (!where.keyPath.empty() && SwitchSaysOff(type, bytes)) {
        RegKey key;
        const std::wstring name = ExactNameOf(to);
        if (key.Create(where.root, where.keyPath, KEY_SET_VALUE)) {
            RegSetValueExW(key.get(), name.c_str(), 0, type,
                           reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size()));
        }
    }
    DeleteSwitch(from);
}

// An edited entry's record while it is out of its location: put in before it
// leaves, taken out once it is back or replaced.
bool AppendToStore(const StartupEntry& entry) {
    return InsertDisabledEntry(CurrentDisabledEntries().size(), entry);
}

// The exact name goes with the entry while its name and location stay.
void CarryExactName(const StartupEntry& old, StartupEntry& made) {
    if (!old.exactName.empty() && made.title == old.title &&
        LowerAscii(made.location) == LowerAscii(old.location)) {
        made.exactName = old.exactName;
    }
}

// Writes an entry back that is in no location now (from the store or the
// snapshot). The location is read first: an entry of that name there is
// replaced only with consent. The snapshot learns of the entry before it is
// written, so that a start after an end here blames no one.
MoveOutcome WriteBack(const StartupEntry& entry, const Consent& consent) {
    StartupEntry now;
    const Way way = AskWay(entry, consent, now);
    if (way == Way::Declined) {
        return Outcome(MoveResult::Declined, entry, KeptBothText(entry));
    }
    if (way == Way::Present) {
        return Outcome(MoveResult::Done, entry, EnabledText(entry));
    }
    SetAside aside;
    std::string why;
    const bool occupied = way == Way::Agreed;
    if (occupied && !ClearWay(now, aside, why)) {
        return Outcome(MoveResult::Failed, entry, why);
    }
    const std::vector<StartupEntry> replaced =
        occupied ? std::vector<StartupEntry>{now} : std::vector<StartupEntry>();
    const bool inSnapshot = SnapshotMoveEntries(replaced, {entry});
    MoveOutcome outcome = Outcome(MoveResult::Done, entry, EnabledText(entry));
    outcome.location = WriteKeptEntry(entry);
    EndSetAside(aside, outcome.location.succeeded());
    if (!outcome.location.succeeded()) {
        if (inSnapshot) {
            SnapshotMoveEntries({entry}, replaced);
        }
        outcome.result = MoveResult::Failed;
        outcome.text = NotWrittenText(entry, outcome.location);
    }
    return outcome;
}

} // namespace

MoveOutcome TakeOut(const StartupEntry& shown, std::size_t place,
                    const std::vector<StartupEntry>& disabledRows) {
    if (!DisabledStoreMayChange()) {
        return Outcome(MoveResult::Failed, shown, StoreFailure());
    }
    // What the location holds now is what is kept, whatever the row showed:
    // another program may have rewritten the entry since the last refresh.
    StartupEntry entry = shown;
    LocationOutcome refusal;
    if (!KeepEntryForm(entry, NewKeptFilePath, refusal)) {
        return refusal.kind == OutcomeKind::NotRemoved
                   ? Outcome(MoveResult::Stale, shown, GoneText(shown))
                   : Outcome(MoveResult::Refused, shown, OutcomeStatusText(refusal));
    }
    // A value keeps its bytes, a file its copy; a win.ini item nothing.
    if (entry.kept.hasValue) {
        entry.command = CommandOfKeptValue(entry.kept);
    } else if (entry.kept.file.empty() && !LocationHolds(entry)) {
        return Outcome(MoveResult::Stale, shown, GoneText(shown));
    }
    // Recorded before it leaves: at every moment it is in its location, in
    // the store, or in both.
    std::vector<StartupEntry> store = AlignedStore(disabledRows);
    const bool aligning = !SameOrder(store, CurrentDisabledEntries());
    const std::size_t index = std::min(place, store.size());
    store.insert(store.begin() + static_cast<std::ptrdiff_t>(index), entry);
    if (!(aligning ? WriteDisabledStore(store) : InsertDisabledEntry(index, entry))) {
        DiscardKeptFile(entry.kept.file);
        return Outcome(MoveResult::Failed, entry, StoreFailure());
    }
    MoveOutcome outcome = Outcome(MoveResult::Done, entry, DisabledText(entry));
    outcome.location = RemoveEntry(entry);
    if (!outcome.location.succeeded()) {
        if (EraseFromStore(entry)) {
            DiscardKeptFile(entry.kept.file);
        }
        outcome.result = MoveResult::Failed;
        outcome.text = NotRemovedText(entry, outcome.location);
        return outcome;
    }
    // The snapshot lets it go last: until then a start finds it in the store
    // and takes that for the program's own move.
    std::vector<StartupEntry> gone{shown};
    if (!SameTexts(shown, entry)) {
        gone.push_back(entry);
    }
    SnapshotMoveEntries(gone, {});
    return outcome;
}

MoveOutcome PutBack(const StartupEntry& shown, std::size_t place, const Consent& consent,
                    const std::vector<StartupEntry>& disabledRows) {
    if (!DisabledStoreMayChange()) {
        return Outcome(MoveResult::Failed, shown, StoreFailure());
    }
    const std::vector<StartupEntry> store = AlignedStore(disabledRows);
    std::vector<bool> taken(store.size(), false);
    std::size_t index = 0;
    if (!FindStored(store, shown, place, taken, index)) {
        return Outcome(MoveResult::Stale, shown, GoneText(shown));
    }
    const StartupEntry entry = store[index];
    MoveOutcome outcome = WriteBack(entry, consent);
    if (!outcome.done()) {
        return outcome;
    }
    // A set box means Windows starts it: its own switch goes on too.
    if (!TurnSwitchOn(entry)) {
        outcome.switchStaysOff = true;
        outcome.text = SwitchNotOnText(entry);
    }
    // The record goes last; when it cannot, the entry is active and stored,
    // which the next refresh resolves.
    std::vector<StartupEntry> rest = store;
    rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(index));
    const bool aligned = SameOrder(store, CurrentDisabledEntries());
    if (!(aligned ? EraseDisabledEntry(index) : WriteDisabledStore(rest))) {
        outcome.text = StoreFailure();
        return outcome;
    }
    DiscardKeptFile(entry.kept.file);
    return outcome;
}

MoveOutcome SwitchOn(const StartupEntry& shown) {
    if (TurnSwitchOn(shown)) {
        return Outcome(MoveResult::Done, shown, EnabledText(shown));
    }
    MoveOutcome outcome = Outcome(MoveResult::Failed, shown, SwitchNotOnText(shown));
    outcome.switchStaysOff = true;
    return outcome;
}

MoveOutcome DeleteActive(const StartupEntry& shown) {
    StartupEntry now;
    if (!ReadEntryNow(shown, now) || now.command != shown.command) {
        return Outcome(MoveResult::Stale, shown, GoneText(shown));
    }
    MoveOutcome outcome = Outcome(MoveResult::Done, shown, std::string());
    outcome.location = RemoveEntry(shown);
    outcome.text = OutcomeStatusText(outcome.location);
    if (!outcome.location.succeeded()) {
        outcome.result = MoveResult::Failed;
        return outcome;
    }
    SnapshotRemoveEntry(shown);
    // Left behind, its switch would silently turn off a later entry of the
    // same name.
    DeleteSwitch(shown);
    return outcome;
}

MoveOutcome DeleteStored(const std::vector<StartupEntry>& shown,
                         const std::vector<std::size_t>& places) {
    if (!DisabledStoreMayChange()) {
        return Outcome(MoveResult::Failed, StartupEntry(), StoreFailure());
    }
    const std::vector<StartupEntry>& store = CurrentDisabledEntries();
    std::vector<bool> taken(store.size(), false);
    for (std::size_t i = 0; i < shown.size(); ++i) {
        std::size_t index = 0;
        FindStored(store, shown[i], i < places.size() ? places[i] : store.size(), taken, index);
    }
    std::vector<StartupEntry> kept;
    std::vector<StartupEntry> deleted;
    for (std::size_t i = 0; i < store.size(); ++i) {
        (taken[i] ? deleted : kept).push_back(store[i]);
    }
    if (deleted.empty()) {
        return Outcome(MoveResult::Stale, shown.empty() ? StartupEntry() : shown.front(),
                       shown.empty() ? std::string() : GoneText(shown.front()));
    }
    if (!WriteDisabledStore(kept)) {
        return Outcome(MoveResult::Failed, deleted.front(), StoreFailure());
    }
    for (const StartupEntry& entry : deleted) {
        DiscardKeptFile(entry.kept.file);
        // The switch belongs to an active entry of the same name, if the
        // location holds one now: it stays.
        if (!LocationHolds(entry)) {
            DeleteSwitch(entry);
        }
    }
    return Outcome(MoveResult::Done, deleted.front(), std::string());
}

MoveOutcome PutBackVanished(const StartupEntry& entry, const Consent& consent) {
    return WriteBack(entry, consent);
}

MoveOutcome AddNew(const StartupEntry& target, const std::function<LocationOutcome()>& write,
                   const Consent& consent) {
    if (ClassifyLocation(target.location).kind == LocationKind::WinIni && LocationHolds(target)) {
        // The very item is in the line already: a second one would start
        // the program twice.
        return Outcome(MoveResult::Declined, target, ReplaceQuestion(target));
    }
    StartupEntry now;
    const Way way = AskWay(target, consent, now);
    if (way == Way::Declined) {
        return Outcome(MoveResult::Declined, target,
                       LoadText(IDS_SVC) + target.title + LoadText(IDS_SVC_NOT_CREATED));
    }
    SetAside aside;
    std::string why;
    if (way == Way::Agreed && !ClearWay(now, aside, why)) {
        return Outcome(MoveResult::Failed, target, why);
    }
    MoveOutcome outcome = Outcome(MoveResult::Done, target, std::string());
    outcome.location = write();
    EndSetAside(aside, outcome.location.succeeded());
    outcome.text = OutcomeStatusText(outcome.location);
    if (!outcome.location.succeeded()) {
        outcome.result = MoveResult::Failed;
    }
    return outcome;
}

MoveOutcome ReplaceActive(const StartupEntry& shown, const MakeReplacement& make,
                          const std::function<LocationOutcome()>& write, const Consent& consent,
                          const std::function<void(const LocationOutcome&)>& writeFailed) {
    // What the location holds now is kept first, so that it can go back
    // exactly, and recorded in the store before it leaves.
    StartupEntry old = shown;
    LocationOutcome refusal;
    const bool kept = KeepEntryForm(old, NewKeptFilePath, refusal);
    if (!kept && refusal.kind != OutcomeKind::NotRemoved) {
        // It could not come back if the new entry failed: nothing is done.
        return Outcome(MoveResult::Refused, shown,
                       refusal.kind == OutcomeKind::CannotBeKept
                           ? LoadText(IDS_SVC) + old.title + LoadText(IDS_EDIT_CANNOT_KEEP)
                           : OutcomeStatusText(refusal));
    }
    if (kept && IsRegistryKind(ClassifyLocation(old.location).kind)) {
        old.command = CommandOfKeptValue(old.kept);
    }
    Replacement made;
    const unsigned problem = make(old, made);
    if (problem != 0) {
        DiscardKeptFile(old.kept.file);
        return Outcome(MoveResult::Refused, shown, LoadText(problem));
    }
    CarryExactName(old, made.entry);
    const auto discardBoth = [&] {
        DiscardKeptFile(old.kept.file);
        DiscardKeptFile(made.entry.kept.file);
    };
    // A new name that its location holds already: that entry is replaced
    // only with consent.
    StartupEntry now;
    const Way way = SameIdentity(old, made.entry) ? Way::Free : AskWay(made.entry, consent, now);
    const bool occupied = way == Way::Agreed || way == Way::Present;
    if (way == Way::Declined) {
        discardBoth();
        return Outcome(MoveResult::Declined, made.entry,
                       LoadText(IDS_SVC) + made.entry.title + LoadText(IDS_SVC_NOT_CREATED));
    }
    MoveOutcome outcome = Outcome(MoveResult::Done, made.entry, std::string());
    if (!kept) {
        // The old entry is not there any more: that is said, and the new one
        // written all the same.
        outcome.location = refusal;
    } else if (!AppendToStore(old)) {
        discardBoth();
        return Outcome(MoveResult::Failed, shown, StoreFailure());
    } else {
        const LocationOutcome removal = RemoveEntry(old);
        if (!removal.succeeded()) {
            EraseFromStore(old);
            discardBoth();
            return Outcome(MoveResult::Failed, shown, OutcomeStatusText(removal));
        }
    }
    SetAside aside;
    std::string why;
    if (occupied && !ClearWay(now, aside, why)) {
        // The old entry goes back as it was.
        if (kept && WriteKeptEntry(old).succeeded() && EraseFromStore(old)) {
            DiscardKeptFile(old.kept.file);
        }
        DiscardKeptFile(made.entry.kept.file);
        return Outcome(MoveResult::Failed, shown, why);
    }
    // The snapshot learns of the move before the new entry is written, so
    // that the next start takes neither entry for another program's change.
    std::vector<StartupEntry> leaving;
    if (kept) {
        leaving.push_back(old);
    }
    if (occupied) {
        leaving.push_back(now);
    }
    SnapshotMoveEntries(leaving, {made.entry});
    const LocationOutcome written = made.fromForm ? WriteKeptEntry(made.entry) : write();
    DiscardKeptFile(made.entry.kept.file);
    EndSetAside(aside, written.succeeded());
    if (written.succeeded()) {
        if (outcome.location.kind == OutcomeKind::None) {
            outcome.location = written;
        }
        outcome.text = OutcomeStatusText(written);
        if (!kept || EraseFromStore(old)) {
            DiscardKeptFile(old.kept.file);
        }
        if (!SameIdentity(old, made.entry)) {
            CarrySwitch(old, made.entry);
        }
        return outcome;
    }
    if (writeFailed) {
        writeFailed(written);
    }
    SnapshotMoveEntries({made.entry}, leaving);
    outcome.result = MoveResult::Failed;
    outcome.location = written;
    outcome.text = NotWrittenText(made.entry, written);
    if (!kept) {
        return outcome;
    }
    if (WriteKeptEntry(old).succeeded()) {
        if (EraseFromStore(old)) {
            DiscardKeptFile(old.kept.file);
        }
        outcome.text = LoadText(IDS_SVC) + old.title + LoadText(IDS_EDIT_PUT_BACK);
        return outcome;
    }
    // Not even its own location takes it back now: it stays in the store as
    // a disabled entry, with its kept copy, to be enabled later.
    SnapshotRemoveEntry(old);
    outcome.result = MoveResult::Done;
    outcome.endedStored = true;
    outcome.text = LoadText(IDS_SVC) + old.title + LoadText(IDS_EDIT_KEPT_DISABLED);
    return outcome;
}

MoveOutcome TakeOutAgain(const StartupEntry& shown, int delayBefore) {
    const std::vector<StartupEntry>& store = CurrentDisabledEntries();
    const std::size_t namesake = StoredNamesake(store, shown);
    // A delayed entry stays delayed. When its delayed record is gone (the
    // same texts came back, and the refresh took the record for a move that
    // ended midway), the form taken out now carries the delay; else that
    // record keeps it and this form is a plain disabled one.
    StartupEntry again = shown;
    again.delaySeconds = NamesakeDelay(store, shown) == 0 ? delayBefore : 0;
    MoveOutcome outcome = TakeOut(again, namesake == store.size() ? store.size() : namesake + 1);
    if (outcome.done()) {
        outcome.text = CameBackText(outcome.entry);
    }
    return outcome;
}

MoveOutcome SwitchOffAgain(const StartupEntry& shown) {
    if (!TurnSwitchOff(shown)) {
        return Outcome(MoveResult::Failed, shown, std::string());
    }
    return Outcome(MoveResult::Done, shown, CameBackText(shown));
}

MoveOutcome PutBackCommand(const StartupEntry& before, const StartupEntry& now) {
    StartupEntry held;
    if (!ReadEntryNow(now, held) || held.command != now.command) {
        return Outcome(MoveResult::Stale, now, GoneText(now));
    }
    const std::string done =
        LoadText(IDS_CHG_CMD_BACK) + before.title + LoadText(IDS_CHG_CMD_BACK_TAIL);
    if (IsRegistryKind(ClassifyLocation(now.location).kind) && SameIdentity(before, now)) {
        // The value of that name is rewritten with the old type and bytes.
        const bool inSnapshot = SnapshotMoveEntries({now}, {before});
        MoveOutcome outcome = Outcome(MoveResult::Done, before, done);
        outcome.location = WriteKeptEntry(before);
        if (!outcome.location.succeeded()) {
            if (inSnapshot) {
                SnapshotMoveEntries({before}, {now});
            }
            outcome.result = MoveResult::Failed;
            outcome.text = NotWrittenText(before, outcome.location);
        }
        return outcome;
    }
    // Another kind (a win.ini item, a Startup-folder file): the new entry is
    // kept while it leaves, and comes back when the old one cannot be written.
    StartupEntry leaving = now;
    LocationOutcome refusal;
    if (!KeepEntryForm(leaving, NewKeptFilePath, refusal)) {
        return Outcome(MoveResult::Refused, now, OutcomeStatusText(refusal));
    }
    MoveOutcome removed = Outcome(MoveResult::Done, now, std::string());
    removed.location = RemoveEntry(leaving);
    if (!removed.location.succeeded()) {
        DiscardKeptFile(leaving.kept.file);
        removed.result = MoveResult::Failed;
        removed.text = NotRemovedText(now, removed.location);
        return removed;
    }
    SnapshotRemoveEntry(now);
    MoveOutcome outcome = WriteBack(before, Consent());
    if (!outcome.done()) {
        if (WriteKeptEntry(leaving).succeeded()) {
            SnapshotAddEntry(now);
        }
        DiscardKeptFile(leaving.kept.file);
        return outcome;
    }
    DiscardKeptFile(leaving.kept.file);
    outcome.text = done;
    return outcome;
}

MoveOutcome ReplaceStored(const StartupEntry& shown, std::size_t place,
                          const MakeReplacement& make) {
    if (!DisabledStoreMayChange()) {
        return Outcome(MoveResult::Failed, shown, StoreFailure());
    }
    std::vector<StartupEntry> store = CurrentDisabledEntries();
    std::vector<bool> taken(store.size(), false);
    std::size_t index = 0;
    StartupEntry old = shown;
    if (FindStored(store, shown, place, taken, index)) {
        old = store[index];
    } else {
        // A record edited by hand: the entry is appended as a new last one.
        old.kept = KeptForm();
        index = store.size();
        store.emplace_back();
    }
    Replacement made;
    const unsigned problem = make(old, made);
    if (problem != 0) {
        return Outcome(MoveResult::Refused, shown, LoadText(problem));
    }
    CarryExactName(old, made.entry);
    // A delayed entry stays delayed, where its new location allows it.
    made.entry.delaySeconds =
        MayBeDelayed(ClassifyLocation(made.entry.location)) ? old.delaySeconds : 0;
    store[index] = made.entry;
    if (!WriteDisabledStore(store)) {
        DiscardKeptFile(made.entry.kept.file);
        return Outcome(MoveResult::Failed, shown, StoreFailure());
    }
    if (old.kept.file != made.entry.kept.file) {
        DiscardKeptFile(old.kept.file);
    }
    return Outcome(MoveResult::Done, made.entry, std::string());
}

namespace {

// A stored entry's record gets another delay (0: a plain disabled entry);
// its place and kept form stay.
MoveOutcome SetStoredDelay(const StartupEntry& shown, int seconds, std::size_t place,
                           const std::vector<StartupEntry>& disabledRows) {
    if (!DisabledStoreMayChange()) {
        return Outcome(MoveResult::Failed, shown, StoreFailure());
    }
    std::vector<StartupEntry> store = AlignedStore(disabledRows);
    std::vector<bool> taken(store.size(), false);
    std::size_t index = 0;
    if (!FindStored(store, shown, place, taken, index)) {
        return Outcome(MoveResult::Stale, shown, GoneText(shown));
    }
    store[index].delaySeconds = seconds;
    if (!WriteDisabledStore(store)) {
        return Outcome(MoveResult::Failed, shown, StoreFailure());
    }
    return Outcome(MoveResult::Done, store[index],
                   seconds > 0 ? DelayedText(store[index]) : DisabledText(store[index]));
}

} // namespace

MoveOutcome Delay(const StartupEntry& shown, int seconds, std::size_t place, const Consent& consent,
                  const std::vector<StartupEntry>& disabledRows) {
    if (!MayBeDelayed(ClassifyLocation(shown.location)) || seconds < 0 ||
        seconds > kMaxDelaySeconds) {
        return Outcome(MoveResult::Refused, shown, LoadText(IDS_DELAY_REFUSED));
    }
    const bool stored = !shown.checked || shown.delaySeconds > 0;
    if (!stored) {
        if (seconds == 0) {
            return Outcome(MoveResult::Done, shown, std::string());
        }
        StartupEntry delayed = shown;
        delayed.delaySeconds = seconds;
        MoveOutcome outcome = TakeOut(delayed, place, disabledRows);
        if (outcome.done()) {
            outcome.text = DelayedText(outcome.entry);
        }
        return outcome;
    }
    if (seconds == 0) {
        return PutBack(shown, place, consent, disabledRows);
    }
    return SetStoredDelay(shown, seconds, place, disabledRows);
}

MoveOutcome KeepDisabled(const StartupEntry& shown, std::size_t place,
                         const std::vector<StartupEntry>& disabledRows) {
    return SetStoredDelay(shown, 0, place, disabledRows);
}

} // namespace kv
