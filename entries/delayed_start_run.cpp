#include "entries/delayed_start_run.h"

#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/entry_identity.h"

#include <windows.h>
#include <shellapi.h>

namespace kv {

namespace {

unsigned long LastErrorOr(unsigned long fallback) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : fallback;
}

unsigned long StartProcessNarrow(std::string line) {
    // A 32-bit build on 64-bit Windows names System32's programs through
    // Sysnative, so that the native program starts as it would at logon; the
    // command line itself stays as stored.
    const std::string program = ResolveCommandPath(line, ResolveMode::ProgramPath);
    const std::string lookup = program.empty() ? program : FileLookupPath(program);
    const char* application = lookup != program ? lookup.c_str() : nullptr;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    line.push_back('\0');
    if (!CreateProcessA(application, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return LastErrorOr(ERROR_GEN_FAILURE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ERROR_SUCCESS;
}

unsigned long StartProcessWide(std::wstring line) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    line.push_back(L'\0');
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return LastErrorOr(ERROR_GEN_FAILURE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ERROR_SUCCESS;
}

// A Run value: its kept type and bytes, or, when the record kept none, the
// command as a REG_SZ.
unsigned long StartRunValue(const StartupEntry& entry) {
    const KeptForm& kept = entry.kept;
    const unsigned long type = kept.hasValue ? kept.valueType : REG_SZ;
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        return ERROR_INVALID_DATA; // Windows starts only text values
    }
    if (kept.hasValue && kept.wide) {
        std::wstring text = WideOfBytes(kept.valueBytes);
        text = text.substr(0, text.find(L'\0'));
        std::wstring expanded = text;
        if (type == REG_EXPAND_SZ && !ExpandEnvironmentText(text, expanded)) {
            return LastErrorOr(ERROR_INVALID_DATA);
        }
        return StartProcessWide(expanded);
    }
    std::string text = kept.hasValue ? kept.valueBytes : entry.command;
    text = text.substr(0, text.find('\0'));
    std::string expanded = text;
    if (type == REG_EXPAND_SZ && !ExpandEnvironmentText(text, expanded)) {
        return LastErrorOr(ERROR_INVALID_DATA);
    }
    return StartProcessNarrow(expanded);
}

// The shell's old result codes, for a shell that sets no last error.
unsigned long ErrorOfShellResult(INT_PTR result) {
    switch (result) {
    case SE_ERR_FNF:
        return ERROR_FILE_NOT_FOUND;
    case SE_ERR_PNF:
        return ERROR_PATH_NOT_FOUND;
    case SE_ERR_ACCESSDENIED:
        return ERROR_ACCESS_DENIED;
    case SE_ERR_OOM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SE_ERR_NOASSOC:
    case SE_ERR_ASSOCINCOMPLETE:
        return ERROR_NO_ASSOCIATION;
    default:
        return ERROR_GEN_FAILURE;
    }
}

// A Startup-folder file: its kept copy, opened as the shell opens the
// files of the Startup folder, with no error box of the shell's own.
unsigned long OpenKeptFile(const StartupEntry& entry) {
    if (entry.kept.file.empty()) {
        return ERROR_FILE_NOT_FOUND;
    }
    // Shell extensions that open a file may need COM on this thread.
    const ComScope com;
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = "open";
    info.lpFile = entry.kept.file.c_str();
    info.nShow = SW_SHOWNORMAL;
    SetLastError(ERROR_SUCCESS);
    if (!ShellExecuteExA(&info)) {
        return LastErrorOr(ErrorOfShellResult(reinterpret_cast<INT_PTR>(info.hInstApp)));
    }
    return ERROR_SUCCESS;
}

} // namespace

unsigned long StartDelayedEntry(const StartupEntry& entry) {
    const LocationClass where = ClassifyLocation(entry.location);
    if (!MayBeDelayed(where)) {
        return ERROR_NOT_SUPPORTED;
    }
    return where.kind == LocationKind::StartupFolder ? OpenKeptFile(entry) : StartRunValue(entry);
}

std::string SystemErrorText(unsigned long code) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text =
        length != 0 && buffer != nullptr ? std::string(buffer, length) : std::string();
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

} // namespace kv
