#include "base/strings.h"

#include <vector>

namespace kv {

std::string LoadText(UINT id) {
    // The program's own module: every program of the project carries the
    // string table.
    HINSTANCE module = GetModuleHandleA(nullptr);
    std::vector<char> buffer(256);
    for (;;) {
        const int length = LoadStringA(module, id, buffer.data(), static_cast<int>(buffer.size()));
        if (length <= 0) {
            return std::string();
        }
        // A text that filled the buffer may have been cut: try a larger one.
        if (static_cast<std::size_t>(length) + 1 < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace kv
