#include "dialogs/program_dialog.h"

namespace kv {

void AddProgram() {}

void AddDroppedFile(const std::string& path) {
    (void)path;
}

void EditSelectedEntries() {}

} // namespace kv
