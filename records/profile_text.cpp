#include "records/profile_text.h"

#include "base/text.h"

#include <climits>

namespace kv {

bool IsProfileBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == 0x1A;
}

namespace {

std::string Trimmed(const std::string& text, std::string::size_type begin,
                    std::string::size_type end) {
    while (begin < end && IsProfileBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsProfileBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

} // namespace

std::vector<ProfileSection> ParseProfileText(const std::string& text) {
    std::vector<ProfileSection> sections;
    std::string::size_type pos = 0;
    while (pos < text.size()) {
        std::string::size_type end = text.find('\n', pos);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = Trimmed(text, pos, end);
        pos = end + 1;
        if (line.empty()) {
            continue;
        }
        if (line[0] == '[') {
            const std::string::size_type close = line.rfind(']');
            if (close != std::string::npos) {
                sections.push_back(ProfileSection{Trimmed(line, 1, close), {}});
                continue;
            }
            // Without a closing bracket the line is a key like any other.
        }
        if (sections.empty()) {
            continue;
        }
        ProfileKey key;
        const std::string::size_type equals = line.find('=');
        if (equals == std::string::npos) {
            key.name = line;
        } else {
            key.name = Trimmed(line, 0, equals);
            key.value = Trimmed(line, equals + 1, line.size());
            key.hasValue = true;
        }
        sections.back().keys.push_back(std::move(key));
    }
    return sections;
}

const ProfileSection* FindProfileSection(const std::vector<ProfileSection>& sections,
                                         const std::string& name) {
    const std::string wanted = LowerAscii(Trimmed(name, 0, name.size()));
    for (const ProfileSection& section : sections) {
        if (!section.name.empty() && LowerAscii(section.name) == wanted) {
            return &section;
        }
    }
    return nullptr;
}

bool FindProfileValue(const ProfileSection& section, const std::string& key, std::string& value) {
    const std::string wanted = LowerAscii(Trimmed(key, 0, key.size()));
    for (const ProfileKey& entry : section.keys) {
        if (LowerAscii(entry.name) == wanted) {
            if (!entry.hasValue) {
                return false;
            }
            const std::string& raw = entry.value;
            const bool quoted = raw.size() >= 2 && (raw[0] == '"' || raw[0] == '\'') &&
                                raw[raw.size() - 1] == raw[0];
            value = quoted ? raw.substr(1, raw.size() - 2) : raw;
            return true;
        }
    }
    return false;
}

long long ProfileInteger(const std::string& value) {
    std::string::size_type pos = 0;
    while (pos < value.size() && static_cast<unsigned char>(value[pos]) <= ' ') {
        ++pos;
    }
    bool negative = false;
    if (pos < value.size() && (value[pos] == '-' || value[pos] == '+')) {
        negative = value[pos] == '-';
        ++pos;
    }
    long long result = 0;
    for (; pos < value.size() && value[pos] >= '0' && value[pos] <= '9'; ++pos) {
        const int digit = value[pos] - '0';
        if (result > (LLONG_MAX - digit) / 10) {
            return negative ? LLONG_MIN : LLONG_MAX;
        }
        result = result * 10 + digit;
    }
    return negative ? -result : result;
}

} // namespace kv
