#include "dialogs/options_sheet.h"

namespace kv {

void OptionsSheet() {}

} // namespace kv
