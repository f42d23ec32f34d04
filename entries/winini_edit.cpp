#include "entries/winini_edit.h"

#include "base/text.h"

namespace kv {

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == ',';
}

} // namespace

std::string AppendWinIniItem(const std::string& line, const std::string& item) {
    return line.empty() ? item : line + " " + item;
}

bool RemoveWinIniItemFromLine(std::string& line, const std::string& item) {
    if (item.empty()) {
        return false;
    }
    const std::string lowerLine = LowerAscii(line);
    const std::string lowerItem = LowerAscii(item);
    std::string::size_type pos = 0;
    while ((pos = lowerLine.find(lowerItem, pos)) != std::string::npos) {
        const std::string::size_type end = pos + lowerItem.size();
        const bool startsItem = pos == 0 || IsSeparator(line[pos - 1]);
        const bool endsItem = end == line.size() || IsSeparator(line[end]);
        if (startsItem && endsItem) {
            const std::string::size_type cut = end < line.size() ? end + 1 : end;
            line.erase(pos, cut - pos);
            return true;
        }
        ++pos;
    }
    return false;
}

} // namespace kv
