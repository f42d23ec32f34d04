// The rule that disable.ini stands in the order of the disabled rows, on
// plain rows: where a row goes among them.
#include "shell/list/disabled_rows.h"

#include <gtest/gtest.h>

namespace {

kv::StartupEntry Entry(const std::string& title) {
    kv::StartupEntry entry;
    entry.title = title;
    return entry;
}

std::vector<kv::RowState> Rows(const std::string& pattern) {
    // One row per letter: upper case disabled, lower case enabled.
    std::vector<kv::RowState> rows;
    for (const char c : pattern) {
        rows.push_back({Entry(std::string(1, static_cast<char>(c | 0x20))), c < 'a'});
    }
    return rows;
}

TEST(DisabledRowsRule, ARowGoesAfterTheDisabledRowsAboveIt) {
    const std::vector<kv::RowState> rows = Rows("aBcDEf");
    const std::size_t expected[] = {0, 0, 1, 1, 2, 3};
    for (std::size_t row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(expected[row], kv::PlaceAmongDisabled(rows, row)) << row;
    }
    EXPECT_EQ(3u, kv::PlaceAmongDisabled(rows, 99));
}

} // namespace
