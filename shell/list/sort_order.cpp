#include "shell/list/sort_order.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace kv {

int CompareBytes(const std::string& a, const std::string& b) {
    const std::size_t common = a.size() < b.size() ? a.size() : b.size();
    const int bytes = common == 0 ? 0 : std::memcmp(a.data(), b.data(), common);
    if (bytes != 0) {
        return bytes < 0 ? -1 : 1; // memcmp compares as unsigned char
    }
    if (a.size() == b.size()) {
        return 0;
    }
    return a.size() < b.size() ? -1 : 1;
}

std::vector<std::size_t> ExchangeSortOrder(const std::vector<std::string>& keys, int direction) {
    // The keys are compared once, by sorting them; the exchange ends with
    // the keys in order, so only the order within each run of equal keys is
    // left to find.
    const std::size_t n = keys.size();
    std::vector<std::size_t> byKey(n);
    for (std::size_t i = 0; i < n; ++i) {
        byKey[i] = i;
    }
    // Equal keys keep their rows' order here, so each run of equal keys
    // lists its rows top first.
    std::stable_sort(byKey.begin(), byKey.end(), [&keys, direction](std::size_t a, std::size_t b) {
        return CompareBytes(keys[a], keys[b]) * direction < 0;
    });

    // How the exchange moves equal keys. Take one run of equal keys and call
    // the rows with a key that comes before it "lower"; rows after it play no
    // part. Pass i carries the least key met from row i on; of the run, only
    // its first row can be picked up, and only when no lower row stands
    // before it, and it is put down where the carried key first meets a
    // lower row after it. Counting the run's rows by how many lower rows
    // stand before them, the run's order then comes out of one rule: start
    // with the rows that have none before them; for each lower row in turn,
    // move the first row to the end and append the rows that come right after
    // that lower row. The lower rows before each row are counted with a
    // Fenwick tree over the rows, filled run by run.
    std::vector<std::size_t> tree(n + 1, 0);
    const auto countBefore = [&tree](std::size_t row) {
        std::size_t count = 0;
        for (std::size_t k = row; k > 0; k -= k & (~k + 1)) {
            count += tree[k];
        }
        return count;
    };
    const auto add = [&tree, n](std::size_t row) {
        for (std::size_t k = row + 1; k <= n; k += k & (~k + 1)) {
            ++tree[k];
        }
    };

    std::vector<std::size_t> order;
    order.reserve(n);
    std::vector<std::size_t> run;
    for (std::size_t first = 0; first < n;) {
        std::size_t end = first + 1;
        while (end < n && CompareBytes(keys[byKey[first]], keys[byKey[end]]) == 0) {
            ++end;
        }
        run.clear();
        std::size_t lowerMet = 0;
        for (std::size_t k = first; k < end; ++k) {
            const std::size_t lowerBefore = countBefore(byKey[k]);
            if (lowerBefore > lowerMet && !run.empty()) {
                const std::size_t turns = (lowerBefore - lowerMet) % run.size();
                std::rotate(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(turns),
                            run.end());
            }
            lowerMet = lowerBefore;
            run.push_back(byKey[k]);
        }
        // The lower rows after the run's last row turn it further.
        const std::size_t lowerRows = first;
        if (lowerRows > lowerMet && !run.empty()) {
            const std::size_t turns = (lowerRows - lowerMet) % run.size();
            std::rotate(run.begin(), run.begin() + static_cast<std::ptrdiff_t>(turns), run.end());
        }
        order.insert(order.end(), run.begin(), run.end());
        for (std::size_t k = first; k < end; ++k) {
            add(byKey[k]);
        }
        first = end;
    }
    return order;
}

} // namespace kv
