#include "shell/frame/app_state.h"

namespace kv {

AppState g_app;

} // namespace kv
