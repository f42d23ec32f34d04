#include "records/command_change.h"


namespace kv {

namespace {

bool SameTitleAndLocation(const StartupEntry& a, const StartupEntry& b) {
    return CompareTextNoCase(a.title, b.title) == 0 &&
           CompareTextNoCase(a.location, b.location) == 0;
}

} // namespace

std::vector<CommandChange> TakeCommandChanges(const std::vector<StartupEntry>& previous,
                                              const std::vector<StartupEntry>& current,
                                              EntryChanges& changes) {
    std::vector<CommandChange> paired;
    std::vector<bool> vanishedTaken(changes.vanished.size(), false);
    std::vector<std::size_t> added;
    for (const std::size_t now : changes.added) {
        bool found = false;
        for (std::size_t v = 0; v < changes.vanished.size() && !found; ++v) {
            const std::size_t before = changes.vanished[v];
            if (!vanishedTaken[v] && SameTitleAndLocation(previous[before], current[now])) {
                vanishedTaken[v] = true;
                paired.push_back({before, now});
                found = true;
            }
        }
        if (!found) {
            added.push_back(now);
        }
    }
    std::vector<std::size_t> vanished;
    for (std::size_t v = 0; v < changes.vanished.size(); ++v) {
        if (!vanishedTaken[v]) {
            vanished.push_back(changes.vanished[v]);
        }
    }
    changes.added = std::move(added);
    changes.vanished = std::move(vanished);
    return paired;
}

std::size_t StoredNamesake(const std::vector<StartupEntry>& store, const StartupEntry& entry) {
    for (std::size_t i = store.size(); i-- > 0;) {
        if (SameTitleAndLocation(store[i], entry)) {
            return i;
        }
    }
    return store.size();
}

int NamesakeDelay(const std::vector<StartupEntry>& store, const StartupEntry& entry) {
    int delay = 0;
    for (const StartupEntry& stored : store) {
        if (stored.delaySeconds > delay && SameTitleAndLocation(stored, entry)) {
            delay = stored.delaySeconds;
        }
    }
    return delay;
}

} // namespace kv
