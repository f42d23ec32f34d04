#include "shell/list_files.h"

namespace kv {

void SaveList() {}

void SaveListAs() {}

void RestoreList() {}

} // namespace kv
