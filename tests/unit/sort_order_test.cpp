#include "shell/sort_order.h"

#include "support/text.h"

#include <gtest/gtest.h>

using kv::CompareBytes;
using kv::ExchangeSortOrder;

namespace {

// The exchange rule, moving whole keys, to compare the index version against.
std::vector<std::string> ExchangeByValue(std::vector<std::string> keys, int direction) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
        for (std::size_t j = i + 1; j < keys.size(); ++j) {
            if (CompareBytes(keys[i], keys[j]) * direction > 0) {
                std::swap(keys[i], keys[j]);
            }
        }
    }
    return keys;
}

TEST(SortOrder, TiesEndInTheOrderOfTheExchange) {
    // Keys b, a, a in rows 0, 1, 2 sort ascending to old rows 1, 2, 0.
    EXPECT_EQ((std::vector<std::size_t>{1, 2, 0}), ExchangeSortOrder({"b", "a", "a"}, 1));
    // Descending: a, b, b gives rows 1, 2, 0 as well.
    EXPECT_EQ((std::vector<std::size_t>{1, 2, 0}), ExchangeSortOrder({"a", "b", "b"}, -1));
    // Equal keys are never exchanged with each other.
    EXPECT_EQ((std::vector<std::size_t>{0, 1, 2}), ExchangeSortOrder({"x", "x", "x"}, 1));
}

TEST(SortOrder, SameOrderAsExchangingWholeRecords) {
    // Many ties in a pseudo-random sequence: the indices must follow exactly
    // the order that exchanging the records themselves gives.
    std::vector<std::string> keys;
    unsigned seed = 12345;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 1103515245u + 12345u;
        keys.push_back(std::string(1, static_cast<char>('a' + (seed >> 16) % 5)) +
                       std::to_string(i % 3));
    }
    for (int direction : {1, -1}) {
        const std::vector<std::size_t> order = ExchangeSortOrder(keys, direction);
        const std::vector<std::string> expected = ExchangeByValue(keys, direction);
        ASSERT_EQ(expected.size(), order.size());
        std::vector<bool> used(keys.size());
        for (std::size_t k = 0; k < order.size(); ++k) {
            EXPECT_EQ(expected[k], keys[order[k]]) << "position " << k;
            EXPECT_FALSE(used[order[k]]);
            used[order[k]] = true;
        }
    }
}

TEST(SortOrder, PlainByteOrder) {
    // Capital Z before small a; a prefix before the longer text.
    EXPECT_LT(CompareBytes("Zeta", "alpha"), 0);
    EXPECT_LT(CompareBytes("abc", "abcd"), 0);
    EXPECT_EQ(0, CompareBytes("same", "same"));
    EXPECT_GT(CompareBytes("b", "a"), 0);
    // Cyrillic letters of the 8-bit code page come after every Latin letter.
    const std::string cyrillic = kvtest::Ansi("Ярлык");
    EXPECT_GT(CompareBytes(cyrillic, "zzz"), 0);
    const std::vector<std::size_t> order =
        ExchangeSortOrder({cyrillic, "zeta", "Alpha", kvtest::Ansi("Антивирус")}, 1);
    EXPECT_EQ((std::vector<std::size_t>{2, 1, 3, 0}), order);
}

} // namespace
