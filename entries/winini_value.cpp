#include "entries/winini_value.h"

#include "base/handles.h"
#include "entries/registry.h"
#include "entries/winini_reader.h"

#include <windows.h>

namespace kv {

namespace {
const char* const kWindowsSectionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
} // namespace

bool WriteWinIniValue(const std::string& parameter, const std::string& value) {
    return WriteWinIniValueWide(parameter, Wide(value));
}

bool WriteWinIniValueWide(const std::string& parameter, const std::wstring& value) {
    const std::wstring name = Wide(parameter);
    if (!WriteProfileStringW(L"windows", name.c_str(), value.c_str())) {
        return false;
    }
    if (ReadWinIniValueWide(parameter) == value) {
        return true;
    }
    RegKey key;
    if (!key.Open(HKEY_CURRENT_USER, kWindowsSectionKey, KEY_SET_VALUE) ||
        RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS) {
        return false;
    }
    return ReadWinIniValueWide(parameter) == value;
}

} // namespace kv
