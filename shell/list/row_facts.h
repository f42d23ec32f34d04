// What a row shows of the program its command starts: the program's icon and
// whether it runs. They are worked out when a row first needs them (the list
// asks only for the rows it shows), not while a refresh holds up the window.
// A refresh starts a round: the folder listings it makes, the process list it
// takes and the icons found since answer every question about its rows until
// the next refresh, so a row worked out late shows exactly what the refresh
// itself would have shown.
#pragma once

#include <string>

namespace kv {

class PathCache;

// A new round: the listings, program paths and icons of the last one go, and
// the running processes are taken now.
void StartRowFactsRound();

// The round's folder listings, for the refresh to answer its own existence
// checks from (through a PathCacheScope).
PathCache& RoundPathCache();

// The program file a command starts (ResolveProgramFile), once a round.
const std::string& ProgramPathOf(const std::string& command);

// The icon of a file (FileIconIndex), and of the program file a command
// starts, each looked up once a round.
int RoundIconIndex(const std::string& path);
int CommandIconIndex(const std::string& command);

// Whether a process of the command's program ran when the round started;
// false when the process functions are missing.
bool CommandRunning(const std::string& command);

} // namespace kv
