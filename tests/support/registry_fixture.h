// Creating and removing registry keys and values for tests, on the real
// registry of the test prefix.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvtest {

// Writes a value of any type; `data` is written byte for byte, with a
// terminating zero added for the string types unless `terminate` is false.
void SetValue(HKEY root, const std::string& keyPath, const std::string& name,
              const std::string& data, DWORD type = REG_SZ, bool terminate = true);
void SetDwordValue(HKEY root, const std::string& keyPath, const std::string& name, DWORD value);
bool ValueExists(HKEY root, const std::string& keyPath, const std::string& name);
// The string data of a value; empty when missing.
std::string ReadString(HKEY root, const std::string& keyPath, const std::string& name);
void DeleteValue(HKEY root, const std::string& keyPath, const std::string& name);
void CreateKey(HKEY root, const std::string& keyPath);
// Deletes the key with everything below it; a missing key is fine.
void DeleteKeyTree(HKEY root, const std::string& keyPath);
bool KeyExists(HKEY root, const std::string& keyPath);
std::vector<std::string> ValueNames(HKEY root, const std::string& keyPath);

// Empties every Run-type key (values and subkeys) and removes RunOnceEx,
// so a test sees only the entries it makes.
void ClearStartupRegistry();

// Starts and ends each test with an empty startup registry.
class StartupRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { ClearStartupRegistry(); }
    void TearDown() override { ClearStartupRegistry(); }
};

} // namespace kvtest
