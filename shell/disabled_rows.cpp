#include "shell/disabled_rows.h"

#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "shell/entry_list.h"

#include <string>
#include <utility>

namespace kv {

namespace {

// The disabled rows' texts, top first, `row` counted as disabled; `place`
// learns its place among them.
std::vector<StartupEntry> DisabledTexts(int row, std::size_t& place) {
    std::vector<RowState> rows = ListRowStates();
    if (row >= 0 && static_cast<std::size_t>(row) < rows.size()) {
        rows[static_cast<std::size_t>(row)].disabled = true;
        place = PlaceAmongDisabled(rows, static_cast<std::size_t>(row));
    }
    std::vector<StartupEntry> texts;
    for (RowState& state : rows) {
        if (state.disabled) {
            texts.push_back(std::move(state.texts));
        }
    }
    return texts;
}

bool SameTextsOneForOne(const std::vector<StartupEntry>& a, const std::vector<StartupEntry>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!SameTexts(a[i], b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

std::size_t PlaceAmongDisabled(const std::vector<RowState>& rows, std::size_t row) {
    std::size_t place = 0;
    for (std::size_t above = 0; above < row && above < rows.size(); ++above) {
        place += rows[above].disabled ? 1 : 0;
    }
    return place;
}

std::vector<StartupEntry> StoreForRows(std::vector<RowState> rows,
                                       const std::vector<StartupEntry>& stored,
                                       const std::vector<StartupEntry>& kept) {
    std::vector<StartupEntry> texts;
    texts.reserve(rows.size());
    for (RowState& row : rows) {
        if (row.disabled) {
            texts.push_back(std::move(row.texts));
        }
    }
    if (texts.empty()) {
        return texts;
    }
    // Newly kept entries first: they are the rows' own, just taken out.
    return WithKeptForms(std::move(texts), kept, stored);
}

std::vector<RowState> ListRowStates() {
    std::vector<RowState> rows;
    const int count = RowCount();
    rows.reserve(static_cast<std::size_t>(count));
    for (int row = 0; row < count; ++row) {
        rows.push_back({RowTexts(row), RowUnchecked(row)});
    }
    return rows;
}

bool SaveDisabledRows(const std::vector<StartupEntry>& alsoStored) {
    return WriteDisabledStore(StoreForRows(ListRowStates(), CurrentDisabledEntries(), alsoStored));
}

bool StoredEntryOfRow(int row, StartupEntry& entry) {
    std::size_t place = 0;
    const std::vector<StartupEntry> texts = DisabledTexts(row, place);
    const std::vector<StartupEntry>& stored = CurrentDisabledEntries();
    if (SameTextsOneForOne(texts, stored)) {
        entry = stored.at(place);
        return true;
    }
    // The store is not the rows one for one (an edit from outside): the row
    // takes what a record of its texts keeps.
    std::vector<RowState> rows;
    for (const StartupEntry& text : texts) {
        rows.push_back({text, true});
    }
    const std::vector<StartupEntry> store = StoreForRows(std::move(rows), stored);
    if (place >= store.size()) {
        return false;
    }
    entry = store[place];
    return true;
}

bool RecordRow(int row, const StartupEntry& entry) {
    std::size_t place = 0;
    std::vector<StartupEntry> texts = DisabledTexts(row, place);
    const std::vector<StartupEntry>& stored = CurrentDisabledEntries();
    // The usual case: the store is the other disabled rows one for one, and
    // only the new record is made.
    std::vector<StartupEntry> others = texts;
    others.erase(others.begin() + static_cast<std::ptrdiff_t>(place));
    if (SameTextsOneForOne(others, stored)) {
        return InsertDisabledEntry(place, entry);
    }
    std::vector<RowState> rows;
    for (StartupEntry& text : texts) {
        rows.push_back({std::move(text), true});
    }
    return WriteDisabledStore(StoreForRows(std::move(rows), CurrentDisabledEntries(), {entry}));
}

bool ForgetRow(int row) {
    std::size_t place = 0;
    std::vector<StartupEntry> texts = DisabledTexts(row, place);
    if (SameTextsOneForOne(texts, CurrentDisabledEntries())) {
        return EraseDisabledEntry(place);
    }
    std::vector<RowState> rows;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        rows.push_back({std::move(texts[i]), i != place});
    }
    return WriteDisabledStore(StoreForRows(std::move(rows), CurrentDisabledEntries()));
}

} // namespace kv
