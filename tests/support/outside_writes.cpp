#include "support/outside_writes.h"

#include "support/process.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace kvtest {

bool RunReg(const std::string& arguments) {
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    ChildProcess reg;
    if (!reg.Start("\"" + std::string(system) + "\\reg.exe\" " + arguments, system)) {
        return false;
    }
    const long code = reg.Wait(30000);
    EXPECT_EQ(0, code) << "reg.exe " << arguments;
    return code == 0;
}

} // namespace kvtest
