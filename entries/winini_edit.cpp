#include "entries/winini_edit.h"

namespace kv {

namespace {

template <typename Char> bool IsSeparator(Char c) {
    return c == Char(' ') || c == Char(',');
}

// Only A-Z change case, as the location and command comparisons require.
template <typename Text> Text LowerAsciiOf(const Text& text) {
    Text lower = text;
    for (auto& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<typename Text::value_type>(c - 'A' + 'a');
        }
    }
    return lower;
}

template <typename Text> Text Appended(const Text& line, const Text& item) {
    return line.empty() ? item : line + typename Text::value_type(' ') + item;
}

template <typename Text> bool RemovedFrom(Text& line, const Text& item) {
    if (item.empty()) {
        return false;
    }
    const Text lowerLine = LowerAsciiOf(line);
    const Text lowerItem = LowerAsciiOf(item);
    typename Text::size_type pos = 0;
    while ((pos = lowerLine.find(lowerItem, pos)) != Text::npos) {
        const typename Text::size_type end = pos + lowerItem.size();
        const bool startsItem = pos == 0 || IsSeparator(line[pos - 1]);
        const bool endsItem = end == line.size() || IsSeparator(line[end]);
        if (startsItem && endsItem) {
            const typename Text::size_type cut = end < line.size() ? end + 1 : end;
            line.erase(pos, cut - pos);
            return true;
        }
        ++pos;
    }
    return false;
}

} // namespace

std::string AppendWinIniItem(const std::string& line, const std::string& item) {
    return Appended(line, item);
}

std::wstring AppendWinIniItem(const std::wstring& line, const std::wstring& item) {
    return Appended(line, item);
}

bool RemoveWinIniItemFromLine(std::string& line, const std::string& item) {
    return RemovedFrom(line, item);
}

bool RemoveWinIniItemFromLine(std::wstring& line, const std::wstring& item) {
    return RemovedFrom(line, item);
}

} // namespace kv
