// Entry point of Kelvorin.
#include "shell/app/start_up.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return kv::RunProgram(instance);
}
