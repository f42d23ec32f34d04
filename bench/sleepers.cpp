#include "bench/sleepers.h"

namespace kvbench {

Sleepers StartSleepers(const std::string& folder, int count) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    Sleepers sleepers;
    for (int name = 0; name < 4; ++name) {
        const std::string program = folder + "\\sleeper" + std::to_string(name) + ".exe";
        CopyFileA(self, program.c_str(), FALSE);
        sleepers.programs.push_back(program);
    }
    for (int i = 0; i < count; ++i) {
        std::string commandLine =
            "\"" + sleepers.programs[static_cast<std::size_t>(i) % sleepers.programs.size()] +
            "\" --sleep 600000";
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        if (CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process)) {
            sleepers.processes.push_back(process);
        }
    }
    Sleep(1000); // let them all start
    return sleepers;
}

void EndSleepers(Sleepers& sleepers) {
    for (PROCESS_INFORMATION& process : sleepers.processes) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, 5000);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    sleepers.processes.clear();
}

} // namespace kvbench
