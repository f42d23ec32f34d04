#include "shell/strings.h"

#include "shell/app_state.h"

#include <vector>

namespace kv {

std::string LoadText(UINT id) {
    HINSTANCE module = g_app.instance != nullptr ? g_app.instance : GetModuleHandleA(nullptr);
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
