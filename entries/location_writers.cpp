#include "entries/location_writers.h"

#include "entries/registry.h"
#include "entries/text.h"
#include "entries/winini_edit.h"
#include "entries/winini_reader.h"
#include "entries/winini_value.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

namespace kv {

namespace {

LocationOutcome Outcome(bool ok, const std::string& name) {
    LocationOutcome outcome;
    outcome.kind = ok ? OutcomeKind::Created : OutcomeKind::NotCreated;
    outcome.name = name;
    return outcome;
}

bool SetStringValue(HKEY key, const std::string& name, const std::string& data) {
    return RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

std::wstring Wide(const std::string& text) {
    const int length = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? static_cast<std::size_t>(length) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], length);
    wide.resize(wide.size() - 1); // the terminating zero
    return wide;
}

} // namespace

std::string JoinCommand(const std::string& programPath, const std::string& arguments) {
    return arguments.empty() ? programPath : programPath + " " + arguments;
}

LocationOutcome AddRegistryValue(const std::string& rootName, const std::string& keyPath,
                                 const std::string& valueName, const std::string& programPath,
                                 const std::string& arguments) {
    const HKEY root = RootKeyFromName(rootName);
    RegKey key;
    if (!key.Open(root, keyPath, KEY_ALL_ACCESS)) {
        key.Create(root, keyPath, KEY_ALL_ACCESS);
    }
    const bool ok =
        key && SetStringValue(key.get(), valueName, JoinCommand(programPath, arguments));
    LocationOutcome outcome = Outcome(ok, valueName);
    if (!ok) {
        outcome.box = OutcomeBox::CantCreateValue;
    }
    return outcome;
}

LocationOutcome AddRunOnceExValue(const std::string& valueName, const std::string& programPath,
                                  const std::string& arguments, const std::string& section) {
    const std::string keyPath =
        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\" + section;
    RegKey key;
    if (!key.Open(HKEY_LOCAL_MACHINE, keyPath, KEY_ALL_ACCESS) &&
        !key.Create(HKEY_LOCAL_MACHINE, keyPath, KEY_ALL_ACCESS)) {
        LocationOutcome outcome = Outcome(false, valueName);
        outcome.box = OutcomeBox::CantCreateSection;
        return outcome;
    }
    return Outcome(SetStringValue(key.get(), valueName, JoinCommand(programPath, arguments)),
                   valueName);
}

std::string ShortcutFilePath(const std::string& folder, const std::string& linkName) {
    std::string path = folder + "\\" + linkName;
    const std::string::size_type dot = linkName.rfind('.');
    const std::string extension =
        dot == std::string::npos ? std::string() : LowerAscii(linkName.substr(dot));
    if (extension != ".lnk" && extension != ".pif") {
        path += ".lnk";
    }
    return path;
}

LocationOutcome CreateStartupShortcut(const std::string& folder, const std::string& linkName,
                                      const std::string& programPath,
                                      const std::string& arguments) {
    LocationOutcome outcome;
    if (folder.empty()) {
        return outcome;
    }
    const HRESULT com = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        link->SetPath(programPath.c_str());
        link->SetArguments(arguments.c_str());
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            const std::wstring path = Wide(ShortcutFilePath(folder, linkName));
            outcome = Outcome(SUCCEEDED(file->Save(path.c_str(), TRUE)), linkName);
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return outcome;
}

std::string ShortPathOrSame(const std::string& path) {
    std::vector<char> buffer(path.size() + 1);
    for (;;) {
        const DWORD length =
            GetShortPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return path;
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(length + 1);
    }
}

LocationOutcome AddWinIniItem(const std::string& program, const std::string& parameter) {
    const std::string line = AppendWinIniItem(ReadWinIniValue(parameter), ShortPathOrSame(program));
    const bool ok = WriteWinIniValue(parameter, line);
    return Outcome(ok, program);
}

} // namespace kv
