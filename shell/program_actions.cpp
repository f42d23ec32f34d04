#include "shell/program_actions.h"

namespace kv {

void MarkRunningEntries(std::vector<StartupEntry>& rows) {
    (void)rows;
}

void MarkRunningRows() {}

void RunSelectedEntries() {}

void StartOpenSelectedFolders() {}

void ShowSelectedFileProperties() {}

void TerminateSelectedEntries() {}

} // namespace kv
