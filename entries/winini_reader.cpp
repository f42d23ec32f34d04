#include "entries/winini_reader.h"

#include "base/handles.h"
#include "base/text.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace kv {

namespace {

// On NT the section lives in the registry, so no file size bounds the value:
// the buffer grows until the value fits (a value that was cut comes back with
// exactly size - 1 characters), short of sizes a DWORD could no longer hold.
template <typename Char, typename Read> std::basic_string<Char> WholeValue(Read read) {
    constexpr std::size_t kLargestBuffer = std::size_t(1) << 30;
    std::vector<Char> buffer(4096);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = read(buffer.data(), size);
        if (length + 1 < size || buffer.size() >= kLargestBuffer) {
            return std::basic_string<Char>(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

std::string ReadWinIniValue(const std::string& parameter) {
    return WholeValue<char>([&parameter](char* buffer, DWORD size) {
        return GetProfileStringA("windows", parameter.c_str(), "", buffer, size);
    });
}

std::wstring ReadWinIniValueWide(const std::string& parameter) {
    const std::wstring name = Wide(parameter);
    return WholeValue<wchar_t>([&name](wchar_t* buffer, DWORD size) {
        return GetProfileStringW(L"windows", name.c_str(), L"", buffer, size);
    });
}

std::vector<std::string> SplitWinIniItems(const std::string& value) {
    std::vector<std::string> items;
    for (const std::string& word : SplitAny(value, " ")) {
        for (std::string& item : SplitAny(word, ",")) {
            items.push_back(std::move(item));
        }
    }
    return items;
}

std::vector<StartupEntry> ScanWinIniParameter(const std::string& name) {
    std::vector<StartupEntry> rows;
    const std::vector<std::string> items = SplitWinIniItems(ReadWinIniValue(name));
    if (items.empty()) {
        return rows;
    }
    const std::string location = WinIniLocationString(name);
    const PathEnvironment env = SystemPathEnvironment();
    for (const std::string& item : items) {
        StartupEntry row;
        row.iconPath = ResolveProgramFileIn(item, env);
        row.title =
            row.iconPath.find('\\') == std::string::npos ? item : AfterLastBackslash(row.iconPath);
        row.command = item;
        row.location = location;
        row.icon = kIconLookup;
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace kv
