#include "shell/sort_order.h"

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

} // namespace kv
