#include "entries/text.h"

#include <cstring>

namespace kv {

std::string LowerAscii(const std::string& text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

std::string UpperAscii(const std::string& text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() &&
           LowerAscii(text.substr(0, prefix.size())) == LowerAscii(prefix);
}

std::string AfterLastBackslash(const std::string& path) {
    const std::string::size_type pos = path.rfind('\\');
    return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string Decimal(long long value) {
    return std::to_string(value);
}

void CopyIntoField(char* field, std::size_t size, const std::string& text) {
    const std::size_t length = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

std::vector<std::string> SplitAny(const std::string& text, const std::string& separators) {
    std::vector<std::string> pieces;
    std::string::size_type pos = 0;
    while (pos < text.size()) {
        const std::string::size_type start = text.find_first_not_of(separators, pos);
        if (start == std::string::npos) {
            break;
        }
        std::string::size_type end = text.find_first_of(separators, start);
        if (end == std::string::npos) {
            end = text.size();
        }
        pieces.push_back(text.substr(start, end - start));
        pos = end;
    }
    return pieces;
}

} // namespace kv
