#include "shell/startup_report.h"

namespace kv {

void PrintStartupReport() {}

} // namespace kv
