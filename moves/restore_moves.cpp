#include "moves/restore_moves.h"

#include "entries/location_dispatch.h"
#include "moves/location_now.h"
#include "moves/move_steps.h"
#include "records/change_snapshot.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"

#include <algorithm>

namespace kv {

namespace {

// Now the store holds exactly the disabled rows; copies kept for entries
// that are back in place, or that the file does not name, are not needed.
bool FinishStore(const std::vector<StartupEntry>& disabledRows,
                 const std::vector<StartupEntry>& copies) {
    if (!WriteDisabledStore(disabledRows)) {
        return false;
    }
    for (const StartupEntry& entry : copies) {
        bool stillKept = false;
        for (const StartupEntry& row : disabledRows) {
            stillKept = stillKept || row.kept.file == entry.kept.file;
        }
        if (!stillKept) {
            DiscardKeptFile(entry.kept.file);
        }
    }
    return true;
}


bool SameEntry(const StartupEntry& a, const StartupEntry& b) {
    return SameTexts(a, b) && a.kept.file == b.kept.file;
}

bool Among(const std::vector<StartupEntry>& entries, const StartupEntry& entry) {
    return std::any_of(entries.begin(), entries.end(),
                       [&](const StartupEntry& other) { return SameTexts(other, entry); });
}

} // namespace

bool PutBackForRestore(const std::vector<StartupEntry>& entries,
                       const std::vector<StartupEntry>& stored,
                       const std::vector<StartupEntry>& active,
                       const std::vector<StartupEntry>& listed, const Consent& consent,
                       std::vector<StartupEntry>& restored,
                       std::vector<LocationOutcome>& notWritten) {
    // The snapshot learns first of the entries about to be written back, so
    // that the next start takes none of them for another program's addition.
    std::vector<StartupEntry> comingBack;
    for (const StartupEntry& entry : entries) {
        if (entry.checked && !Among(active, entry)) {
            comingBack.push_back(entry);
        }
    }
    SnapshotMoveEntries({}, comingBack);
    std::vector<StartupEntry> notBack;
    std::vector<StartupEntry> disabledRows;
    restored.clear();
    for (const StartupEntry& entry : entries) {
        bool disabled = !entry.checked;
        if (entry.checked && !Among(active, entry)) {
            // An entry of its name there now is another program's: it is
            // replaced only with consent. Its very win.ini item is the entry.
            SetAside aside;
            std::string why;
            StartupEntry now;
            const Way way = AskWay(entry, consent, now);
            bool back = way == Way::Present;
            if (way == Way::Free || (way == Way::Agreed && ClearWay(now, aside, why))) {
                const LocationOutcome written = WriteKeptEntry(entry);
                back = written.succeeded();
                EndSetAside(aside, back);
                if (!back) {
                    notWritten.push_back(written); // the writer says why
                }
            }
            if (!back) {
                // The entry waits, disabled.
                disabled = true;
                notBack.push_back(entry);
            }
        }
        StartupEntry row = entry;
        row.checked = !disabled;
        restored.insert(restored.begin(), row);
        if (disabled) {
            disabledRows.insert(disabledRows.begin(), entry);
            std::vector<StartupEntry> meanwhile = disabledRows;
            meanwhile.insert(meanwhile.end(), stored.begin(), stored.end());
            WriteDisabledStore(meanwhile);
        }
    }
    SnapshotMoveEntries(notBack, {});
    std::vector<StartupEntry> copies = stored;
    copies.insert(copies.end(), listed.begin(), listed.end());
    return FinishStore(disabledRows, copies);
}

// Every active entry is recorded in the store with what its location holds
// for it, all in one write, before any of them leaves; then they leave one
// after another. Whatever happens meanwhile, no entry is in neither place.
// `stored` learns the store as it then stands; `leftAlone` the entries that
// stayed where they were. False, with nothing changed, when the store
// cannot be written.
bool TakeOutForRestore(const std::vector<StartupEntry>& disabled,
                       const std::vector<StartupEntry>& enabled, std::vector<StartupEntry>& stored,
                       std::vector<StartupEntry>& leftAlone) {
    stored = disabled;
    const std::size_t disabledBefore = stored.size();
    for (const StartupEntry& row : enabled) {
        StartupEntry entry = row;
        LocationOutcome refusal;
        if (KeepEntryForm(entry, NewKeptFilePath, refusal)) {
            stored.push_back(entry);
        } else {
            leftAlone.push_back(row); // an entry that cannot be kept stays where it is
        }
    }
    if (!WriteDisabledStore(stored)) {
        for (std::size_t i = disabledBefore; i < stored.size(); ++i) {
            DiscardKeptFile(stored[i].kept.file);
        }
        return false;
    }
    std::vector<StartupEntry> stayed;
    for (std::size_t i = disabledBefore; i < stored.size(); ++i) {
        const StartupEntry& entry = stored[i];
        if (!RemoveEntry(entry).succeeded()) {
            stayed.push_back(entry);
        }
    }
    leftAlone.insert(leftAlone.end(), stayed.begin(), stayed.end());
    // The snapshot learns of the entries that left, all at once; until then
    // the next start finds them in the store and blames no one.
    std::vector<StartupEntry> left;
    for (std::size_t i = disabledBefore; i < stored.size(); ++i) {
        const bool stays =
            std::find_if(stayed.begin(), stayed.end(), [&](const StartupEntry& other) {
                return SameEntry(other, stored[i]);
            }) != stayed.end();
        if (!stays) {
            left.push_back(stored[i]);
        }
    }
    SnapshotMoveEntries(left, {});
    if (stayed.empty()) {
        return true;
    }
    // Still active: their records and copies go again.
    std::vector<StartupEntry> kept;
    for (const StartupEntry& entry : stored) {
        const bool stays =
            std::find_if(stayed.begin(), stayed.end(), [&](const StartupEntry& other) {
                return SameEntry(other, entry);
            }) != stayed.end();
        if (!stays) {
            kept.push_back(entry);
        }
    }
    if (WriteDisabledStore(kept)) {
        for (const StartupEntry& entry : stayed) {
            DiscardKeptFile(entry.kept.file);
        }
        stored = kept;
    }
    return true;
}


// The file's entries, each with what the entry it names kept just now (a
// Startup-folder file, a value's type and bytes), unless the list carries
// its own copy of the file.
std::vector<StartupEntry> WithFormsOfNow(const std::vector<StartupEntry>& entries,
                                         const std::vector<StartupEntry>& stored) {
    std::vector<StartupEntry> result = entries;
    std::vector<StartupEntry> now = WithKeptForms(entries, stored);
    for (std::size_t i = 0; i < result.size(); ++i) {
        if (result[i].kept.file.empty() && !now[i].kept.empty()) {
            result[i].kept = now[i].kept;
        }
    }
    return result;
}

bool WriteStoreAnew() {
    return DisabledStoreMayChange() && WriteDisabledStore(CurrentDisabledEntries());
}

} // namespace kv
