#include "entries/processes.h"

#include "base/handles.h"
#include "base/test_seams.h"
#include "base/text.h"

#include <windows.h>
#include <tlhelp32.h>

namespace kv {

namespace {

bool g_openingRefused = false;

// The ANSI forms of the snapshot functions, as kernel32 exports them under
// these names.
using CreateSnapshotFunction = HANDLE(WINAPI*)(DWORD, DWORD);
using WalkFunction = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

struct SnapshotFunctions {
    CreateSnapshotFunction create = nullptr;
    WalkFunction first = nullptr;
    WalkFunction next = nullptr;

    bool available() const { return create != nullptr && first != nullptr && next != nullptr; }
};

template <typename Function> Function LookUp(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    // Through the generic function type, as GetProcAddress results are meant
    // to be converted.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

const SnapshotFunctions& Functions() {
    static const SnapshotFunctions functions = [] {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        SnapshotFunctions found;
        found.create = LookUp<CreateSnapshotFunction>(kernel, "CreateToolhelp32Snapshot");
        found.first = LookUp<WalkFunction>(kernel, "Process32First");
        found.next = LookUp<WalkFunction>(kernel, "Process32Next");
        return found;
    }();
    return functions;
}

// Calls `visit(id, lower-cased program name)` for each process of a new
// snapshot until it returns false.
template <typename Visit> void WalkProcesses(Visit visit) {
    const SnapshotFunctions& functions = Functions();
    if (!functions.available()) {
        return;
    }
    UniqueHandle snapshot(functions.create(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return;
    }
    PROCESSENTRY32 process{};
    process.dwSize = sizeof(process);
    for (BOOL more = functions.first(snapshot.get(), &process); more != FALSE;
         more = functions.next(snapshot.get(), &process)) {
        // szExeFile is terminated within its field; bound the read anyway.
        const char* file = process.szExeFile;
        std::size_t length = 0;
        while (length < sizeof(process.szExeFile) && file[length] != '\0') {
            ++length;
        }
        if (!visit(process.th32ProcessID, ProgramName(std::string(file, length)))) {
            return;
        }
        process.dwSize = sizeof(process);
    }
}

} // namespace

void SetProcessOpeningRefusedForTests(bool refused) {
    g_openingRefused = refused;
}

bool ProcessFunctionsAvailable() {
    return Functions().available();
}

std::string LowerFileName(const std::string& name) {
    if (name.empty()) {
        return name;
    }
    const int length = static_cast<int>(name.size());
    const int needed =
        LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_LOWERCASE, name.data(), length, nullptr, 0);
    if (needed <= 0) {
        return LowerAscii(name);
    }
    std::string lower(static_cast<std::size_t>(needed), '\0');
    const int written = LCMapStringA(LOCALE_SYSTEM_DEFAULT, LCMAP_LOWERCASE, name.data(), length,
                                     &lower[0], needed);
    if (written <= 0) {
        return LowerAscii(name);
    }
    lower.resize(static_cast<std::size_t>(written));
    return lower;
}

std::string ProgramName(const std::string& programPath) {
    return LowerFileName(AfterLastBackslash(programPath));
}

std::unordered_set<std::string> RunningProcessNames() {
    std::unordered_set<std::string> names;
    WalkProcesses([&names](DWORD, std::string name) {
        names.insert(std::move(name));
        return true;
    });
    return names;
}

StopResult StopFirstProcessNamed(const std::string& name) {
    DWORD id = 0;
    bool found = false;
    // Kelvorin's own process is never ended from its list: its own autostart
    // row names it, and ending it here would lose what an exit saves.
    const DWORD self = GetCurrentProcessId();
    WalkProcesses([&](DWORD processId, const std::string& processName) {
        if (processName != name || processId == self) {
            return true;
        }
        id = processId;
        found = true;
        return false;
    });
    if (!found) {
        return StopResult::NotRunning;
    }
    UniqueHandle process(
        g_openingRefused ? nullptr : OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (!process) {
        return StopResult::Failed;
    }
    // An ordinary failure code: 259 would read as "still active" to anyone
    // waiting on the process.
    const bool ended = TerminateProcess(process.get(), 1) != FALSE;
    // Ending is asynchronous: the process counts as stopped once it is gone.
    const DWORD wait = WaitForSingleObject(process.get(), ended ? 2000 : 0);
    return wait == WAIT_OBJECT_0 ? StopResult::Stopped : StopResult::Failed;
}

} // namespace kv
