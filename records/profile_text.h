// The text of a profile (INI) file, read in one pass by the rules of the
// platform's profile functions: lines end at a line feed and lose the blanks
// around them; "[name]" opens a section (the name runs to the last "]");
// "key=value" is a key, its name and value losing the blanks next to the
// "="; a line without "=" is a key without a value. Section and key names
// match without regard to letter case, and the first of two equal names wins.
#pragma once

#include <string>
#include <vector>

namespace kv {

struct ProfileKey {
    std::string name;
    std::string value; // as written, quotes included
    bool hasValue = false;
};

struct ProfileSection {
    std::string name;
    std::vector<ProfileKey> keys;
};

// Every section with its keys, in file order. Lines before the first section
// belong to no section and are dropped.
std::vector<ProfileSection> ParseProfileText(const std::string& text);

// The blanks the profile functions trim: space, tab, the line-end characters
// and the DOS end-of-file mark.
bool IsProfileBlank(char c);

// The first section of that name (compared without regard to case, the name
// asked for without blanks around it); null when there is none.
const ProfileSection* FindProfileSection(const std::vector<ProfileSection>& sections,
                                         const std::string& name);

// The value of the first key of that name as the profile functions return it
// (one pair of enclosing quotes removed); false when the key is missing or
// has no value.
bool FindProfileValue(const ProfileSection& section, const std::string& key, std::string& value);

// A value read as the profile functions read an integer: blanks, a sign and
// the decimal digits that follow; 0 when there are none. Values beyond the
// range of 64 bits are held at its ends.
long long ProfileInteger(const std::string& value);

} // namespace kv
