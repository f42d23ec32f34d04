#include "entries/location_writers.h"

#include "base/handles.h"
#include "base/text.h"
#include "entries/registry.h"
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

bool SetValue(HKEY key, const std::string& name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

// The key open for writing, created when missing.
bool OpenOrCreate(RegKey& key, HKEY root, const std::string& keyPath) {
    return key.Open(root, keyPath, KEY_ALL_ACCESS) || key.Create(root, keyPath, KEY_ALL_ACCESS);
}

} // namespace

std::string JoinCommand(const std::string& programPath, const std::string& arguments) {
    // A path with a blank, unquoted, would let Windows try its first word as
    // a program of its own ("C:\Program.exe" for "C:\Program Files\...").
    const bool quote = programPath.find(' ') != std::string::npos && programPath[0] != '"';
    const std::string program = quote ? "\"" + programPath + "\"" : programPath;
    return arguments.empty() ? program : program + " " + arguments;
}

LocationOutcome AddRegistryCommand(const std::string& rootName, const std::string& keyPath,
                                   const std::string& valueName, const std::string& command) {
    RegKey key;
    const bool ok = OpenOrCreate(key, RootKeyFromName(rootName), keyPath) &&
                    SetValue(key.get(), valueName, REG_SZ, command + '\0');
    LocationOutcome outcome = Outcome(ok, valueName);
    if (!ok) {
        outcome.box = OutcomeBox::CantCreateValue;
    }
    return outcome;
}

LocationOutcome AddRegistryValue(const std::string& rootName, const std::string& keyPath,
                                 const std::string& valueName, const std::string& programPath,
                                 const std::string& arguments) {
    return AddRegistryCommand(rootName, keyPath, valueName, JoinCommand(programPath, arguments));
}

LocationOutcome AddRunOnceExCommand(const std::string& valueName, const std::string& command,
                                    const std::string& sectionKey) {
    RegKey key;
    if (!OpenOrCreate(key, HKEY_LOCAL_MACHINE, sectionKey)) {
        LocationOutcome outcome = Outcome(false, valueName);
        outcome.box = OutcomeBox::CantCreateSection;
        return outcome;
    }
    return Outcome(SetValue(key.get(), valueName, REG_SZ, command + '\0'), valueName);
}

LocationOutcome AddRunOnceExValue(const std::string& valueName, const std::string& programPath,
                                  const std::string& arguments, const std::string& sectionKey) {
    return AddRunOnceExCommand(valueName, JoinCommand(programPath, arguments), sectionKey);
}

LocationOutcome SetRegistryValueExactly(const std::string& rootName, const std::string& keyPath,
                                        const std::string& valueName, unsigned long type,
                                        const std::string& bytes, OutcomeBox boxWhenKeyFails) {
    RegKey key;
    if (!OpenOrCreate(key, RootKeyFromName(rootName), keyPath)) {
        LocationOutcome outcome = Outcome(false, valueName);
        outcome.box = boxWhenKeyFails;
        return outcome;
    }
    LocationOutcome outcome = Outcome(SetValue(key.get(), valueName, type, bytes), valueName);
    if (!outcome.succeeded() && boxWhenKeyFails == OutcomeBox::CantCreateValue) {
        outcome.box = OutcomeBox::CantCreateValue;
    }
    return outcome;
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
    ComScope com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    const std::wstring path = Wide(ShortcutFilePath(folder, linkName));
    const bool saved = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                                  IID_IShellLinkA, link.Out())) &&
                       SUCCEEDED(link->SetPath(programPath.c_str())) &&
                       SUCCEEDED(link->SetArguments(arguments.c_str())) &&
                       SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Out())) &&
                       !path.empty() && SUCCEEDED(file->Save(path.c_str(), TRUE));
    outcome = Outcome(saved, linkName);
    if (!saved) {
        outcome.box = OutcomeBox::CantCreateValue;
    }
    return outcome;
}

bool SaveShellLinkRetargeted(const std::string& source, const std::string& destination,
                             const std::string& programPath, const std::string& arguments) {
    ComScope com;
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    const std::wstring from = Wide(source);
    const std::wstring to = Wide(destination);
    return !from.empty() && !to.empty() &&
           SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IShellLinkA, link.Out())) &&
           SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Out())) &&
           SUCCEEDED(file->Load(from.c_str(), STGM_READ)) &&
           SUCCEEDED(link->SetPath(programPath.c_str())) &&
           SUCCEEDED(link->SetArguments(arguments.c_str())) &&
           SUCCEEDED(file->Save(to.c_str(), TRUE));
}

LocationOutcome RestoreStartupFile(const std::string& keptPath, const std::string& folder,
                                   const std::string& fileName, const std::wstring& exactName) {
    if (!exactName.empty()) {
        const std::wstring path = Wide(folder) + L"\\" + exactName;
        return Outcome(CopyFileW(Wide(keptPath).c_str(), path.c_str(), TRUE) != FALSE, fileName);
    }
    const std::string path = folder + "\\" + fileName;
    return Outcome(CopyFileA(keptPath.c_str(), path.c_str(), TRUE) != FALSE, fileName);
}

LocationOutcome SetRegistryValueWide(const std::string& rootName, const std::string& keyPath,
                                     const std::wstring& valueName, const std::string& title,
                                     unsigned long type, const std::string& wideBytes,
                                     OutcomeBox boxWhenKeyFails) {
    RegKey key;
    if (!OpenOrCreate(key, RootKeyFromName(rootName), keyPath)) {
        LocationOutcome outcome = Outcome(false, title);
        outcome.box = boxWhenKeyFails;
        return outcome;
    }
    const bool set = RegSetValueExW(key.get(), valueName.c_str(), 0, type,
                                    reinterpret_cast<const BYTE*>(wideBytes.data()),
                                    static_cast<DWORD>(wideBytes.size())) == ERROR_SUCCESS;
    LocationOutcome outcome = Outcome(set, title);
    if (!set && boxWhenKeyFails == OutcomeBox::CantCreateValue) {
        outcome.box = OutcomeBox::CantCreateValue;
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

LocationOutcome AddWinIniItem(const std::string& program, const std::string& parameter,
                              bool shortForm) {
    const std::string item = shortForm ? ShortPathOrSame(program) : program;
    // The line is read and written through the wide calls: its other items
    // may hold characters the code page cannot carry.
    const std::wstring line = AppendWinIniItem(ReadWinIniValueWide(parameter), Wide(item));
    return Outcome(WriteWinIniValueWide(parameter, line), program);
}

} // namespace kv
