// Small text helpers shared by every layer. Texts are 8-bit strings in the
// system code page; only the ASCII letters change case here, as the location
// and command comparisons require.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kv {

// Copy with the letters A-Z turned into a-z; every other byte is kept.
std::string LowerAscii(const std::string& text);

bool StartsWithNoCase(const std::string& text, const std::string& prefix);

// The text after the last backslash, or the whole text when it has none.
std::string AfterLastBackslash(const std::string& path);

// Decimal text of a number, with a leading '-' when negative.
std::string Decimal(long long value);

// Copies the text into a fixed field of `size` bytes (at least 1): cut to
// fit when longer, always terminated.
void CopyIntoField(char* field, std::size_t size, const std::string& text);

// The bytes as upper-case hexadecimal digits, two per byte.
std::string HexEncode(const std::string& bytes);

// The name with every character that no file name may hold (\ / : * ? " < >
// |) as "_": a name to keep a copy under.
std::string FileNameSafe(const std::string& name);
// The bytes of a text of hexadecimal digits (either case, two per byte);
// false when the text is not such a text.
bool HexDecode(const std::string& text, std::string& bytes);

// Splits at runs of any of the separator characters; empty pieces are dropped.
std::vector<std::string> SplitAny(const std::string& text, const std::string& separators);

} // namespace kv
