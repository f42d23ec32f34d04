#include "base/text.h"

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

std::string HexEncode(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const unsigned char byte = static_cast<unsigned char>(c);
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

} // namespace

bool HexDecode(const std::string& text, std::string& bytes) {
    if (text.size() % 2 != 0) {
        return false;
    }
    std::string decoded;
    decoded.reserve(text.size() / 2);
    for (std::string::size_type i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        decoded += static_cast<char>((high << 4) | low);
    }
    bytes.swap(decoded);
    return true;
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

std::string FileNameSafe(const std::string& name) {
    std::string safe = name;
    for (char& c : safe) {
        if (std::strchr("\\/:*?\"<>|", c) != nullptr && c != '\0') {
            c = '_';
        }
    }
    return safe;
}

} // namespace kv
