#include "dialogs/about_box.h"

namespace kv {

void AboutBox() {}

} // namespace kv
