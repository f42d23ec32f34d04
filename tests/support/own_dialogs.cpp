#include "support/own_dialogs.h"

#include <string>

namespace kvtest {

namespace {

struct Search {
    DWORD process;
    const std::function<bool(HWND)>* match;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    Search* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    if (process == search->process && IsWindowVisible(window) &&
        std::string(className) == "#32770" && (*search->match)(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindOwnDialog(const std::function<bool(HWND)>& match) {
    Search search{GetCurrentProcessId(), &match, nullptr};
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace kvtest
