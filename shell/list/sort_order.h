// The order of the entry list's sort, free of any window.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kv {

// Plain byte-wise comparison as unsigned bytes: -1, 0 or +1. Case-sensitive,
// no locale; a text that is a prefix of a longer one comes first.
int CompareBytes(const std::string& a, const std::string& b);

// The order of the exchange sort: for i from the first record to the last and
// j from i + 1 to the last, records i and j change places when the comparison
// of their keys times the direction (+1 ascending, -1 descending) is positive.
// Returns the old index of the record that ends at each position. Ties end in
// exactly the order this exchange gives; only indices move.
std::vector<std::size_t> ExchangeSortOrder(const std::vector<std::string>& keys, int direction);

} // namespace kv
