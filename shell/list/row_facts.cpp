#include "shell/list/row_facts.h"

#include "entries/command_path.h"
#include "entries/path_cache.h"
#include "entries/processes.h"
#include "shell/frame/app_state.h"
#include "shell/list/row_icons.h"

#include <memory>
#include <unordered_map>
#include <unordered_set>

namespace kv {

namespace {

struct Round {
    PathCache paths;
    std::unordered_map<std::string, std::string> programPaths; // by command
    IconLookup icons;
    std::unordered_set<std::string> running; // program names, lower case
};

std::unique_ptr<Round> g_round;

Round& CurrentRound() {
    if (!g_round) {
        StartRowFactsRound();
    }
    return *g_round;
}

} // namespace

void StartRowFactsRound() {
    g_round = std::make_unique<Round>();
    if (g_app.ProcessListAvailable) {
        g_round->running = RunningProcessNames();
    }
}

PathCache& RoundPathCache() {
    return CurrentRound().paths;
}

const std::string& ProgramPathOf(const std::string& command) {
    Round& round = CurrentRound();
    auto found = round.programPaths.find(command);
    if (found == round.programPaths.end()) {
        const PathCacheScope paths(round.paths);
        found = round.programPaths.emplace(command, ResolveProgramFile(command)).first;
    }
    return found->second;
}

int RoundIconIndex(const std::string& path) {
    Round& round = CurrentRound();
    const PathCacheScope paths(round.paths);
    return round.icons(path);
}

int CommandIconIndex(const std::string& command) {
    return RoundIconIndex(ProgramPathOf(command));
}

bool CommandRunning(const std::string& command) {
    const Round& round = CurrentRound();
    return !command.empty() && !round.running.empty() &&
           round.running.count(ProgramName(ProgramPathOf(command))) != 0;
}

} // namespace kv
