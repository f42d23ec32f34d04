#include "shell/list/disabled_rows.h"

#include "shell/list/entry_list.h"

namespace kv {

std::size_t PlaceAmongDisabled(const std::vector<RowState>& rows, std::size_t row) {
    std::size_t place = 0;
    for (std::size_t above = 0; above < row && above < rows.size(); ++above) {
        place += rows[above].disabled ? 1 : 0;
    }
    return place;
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

std::vector<std::size_t> PlacesAmongDisabled(const std::vector<int>& rows) {
    std::vector<std::size_t> places;
    places.reserve(rows.size());
    std::size_t disabledAbove = 0;
    int next = 0;
    for (int row : rows) {
        for (; next < row; ++next) {
            disabledAbove += RowUnchecked(next) ? 1 : 0;
        }
        places.push_back(disabledAbove);
    }
    return places;
}

} // namespace kv
