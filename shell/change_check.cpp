#include "shell/change_check.h"

namespace kv {

void CheckForChanges(CheckMode mode) {
    (void)mode;
}

void RunManualCheck() {}

void SaveChangeSnapshot() {}

} // namespace kv
