// Changes made by another process, as a user's installer makes them: the
// system's reg.exe started with the arguments, waited for.
#pragma once

#include <string>

namespace kvtest {

// Runs "reg.exe <arguments>" and waits for it; false (with a test failure)
// when it could not be started or did not end with 0 within 30 s.
bool RunReg(const std::string& arguments);

} // namespace kvtest
