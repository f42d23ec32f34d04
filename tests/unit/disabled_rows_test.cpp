// The rule that disable.ini stands in the order of the disabled rows, on
// plain rows: where a row goes among them, and what the store holds for a
// list, with what each record keeps.
#include "shell/disabled_rows.h"

#include <gtest/gtest.h>

namespace {

kv::StartupEntry Entry(const std::string& title, const std::string& file = std::string()) {
    kv::StartupEntry entry;
    entry.title = title;
    entry.command = title + ".exe";
    entry.location = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    entry.kept.file = file;
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

TEST(DisabledRowsRule, TheStoreIsTheDisabledRowsWithWhatTheirRecordsKeep) {
    // Stored out of the rows' order, with two records of the same texts; an
    // entry just taken out keeps its own copy.
    const std::vector<kv::StartupEntry> stored = {Entry("d", "d1"), Entry("b", "b1"),
                                                  Entry("d", "d2")};
    const std::vector<kv::StartupEntry> store =
        kv::StoreForRows(Rows("aBcDDE"), stored, {Entry("e", "e-now")});
    ASSERT_EQ(4u, store.size());
    const char* expected[][2] = {{"b", "b1"}, {"d", "d1"}, {"d", "d2"}, {"e", "e-now"}};
    for (std::size_t i = 0; i < store.size(); ++i) {
        EXPECT_EQ(expected[i][0], store[i].title) << i;
        EXPECT_EQ(expected[i][1], store[i].kept.file) << i;
    }
    // A disabled row that no record names keeps nothing; a record that no row
    // names is not in the store.
    const std::vector<kv::StartupEntry> fresh = kv::StoreForRows(Rows("Xb"), stored);
    ASSERT_EQ(1u, fresh.size());
    EXPECT_EQ("x", fresh[0].title);
    EXPECT_TRUE(fresh[0].kept.empty());
}

} // namespace
