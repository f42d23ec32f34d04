#include "support/text.h"

#include <windows.h>

#include <vector>

namespace kvtest {

namespace {

std::string Convert(const std::string& text, UINT from, UINT to) {
    if (text.empty()) {
        return std::string();
    }
    const int wide =
        MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> buffer(static_cast<std::size_t>(wide));
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), buffer.data(), wide);
    const int narrow =
        WideCharToMultiByte(to, 0, buffer.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(to, 0, buffer.data(), wide, &out[0], narrow, nullptr, nullptr);
    return out;
}

} // namespace

std::string Ansi(const std::string& utf8) {
    return Convert(utf8, CP_UTF8, CP_ACP);
}

std::string Utf8(const std::string& ansi) {
    return Convert(ansi, CP_ACP, CP_UTF8);
}

} // namespace kvtest
