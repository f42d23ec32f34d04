#include "shell/list/sort_order.h"

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

// The exchange rule on the texts themselves, comparing texts at every step:
// the order the faster version must give, ties included.
std::vector<std::size_t> ExchangeOnTexts(const std::vector<std::string>& keys, int direction) {
    std::vector<std::size_t> order(keys.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        for (std::size_t j = i + 1; j < order.size(); ++j) {
            if (CompareBytes(keys[order[i]], keys[order[j]]) * direction > 0) {
                std::swap(order[i], order[j]);
            }
        }
    }
    return order;
}

TEST(SortOrder, SameOrderAsExchangingWholeRecords) {
    // The indices must follow exactly the order that exchanging the records
    // themselves gives: many ties in a pseudo-random sequence, the same rows
    // once sorted ascending (so that a descending sort meets them reversed),
    // and keys all different.
    std::vector<std::string> ties;
    std::vector<std::string> different;
    unsigned seed = 12345;
    for (int i = 0; i < 300; ++i) {
        seed = seed * 1103515245u + 12345u;
        ties.push_back(std::string(1, static_cast<char>('a' + (seed >> 16) % 5)) +
                       std::to_string(i % 3));
        different.push_back(std::to_string((seed >> 8) % 100000) + "-" + std::to_string(i));
    }
    std::vector<std::string> sortedTies;
    for (std::size_t index : ExchangeSortOrder(ties, 1)) {
        sortedTies.push_back(ties[index]);
    }
    std::vector<std::vector<std::string>> sets = {ties, sortedTies, different};
    // And every kind of short sequence of few letters.
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::string> keys;
        seed = seed * 1103515245u + 12345u;
        const unsigned letters = 1 + (seed >> 16) % 6;
        for (unsigned length = (seed >> 8) % 24; length > 0; --length) {
            seed = seed * 1103515245u + 12345u;
            keys.push_back(std::string(1, static_cast<char>('a' + (seed >> 16) % letters)));
        }
        sets.push_back(keys);
    }
    for (const std::vector<std::string>& keys : sets) {
        for (int direction : {1, -1}) {
            const std::vector<std::size_t> order = ExchangeSortOrder(keys, direction);
            EXPECT_EQ(ExchangeOnTexts(keys, direction), order);
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
