// Creating and removing registry keys and values for tests, on the real
// registry of the test prefix.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <map>
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

// Empties every Run-type key (values and subkeys) and removes both RunOnceEx
// keys, Windows' startup switches and the installed packages' keys, so a
// test sees only the entries it makes.
void ClearStartupRegistry();

// Explorer\StartupApproved below HKCU and HKLM: Windows' startup switches.
extern const char* const kStartupApprovedKey;

// The key that holds the section "windows" of win.ini on NT and under Wine.
extern const char* const kWinIniWindowsKey;
// The Startup folder paths as the Shell Folders key holds them; empty when
// the value is missing.
std::string CurrentUserStartupFolder();
std::string AllUsersStartupFolder();
// Removes everything inside both Startup folders (the folders stay).
void ClearStartupFolders();
// Removes the win.ini parameters "run" and "load".
void ClearWinIni();

// Every byte of the startup set, by place: "HKCU\...\Run|name" -> type and
// bytes of each value of the Run-type keys and their subkeys, "<folder>|name"
// -> bytes and attributes of each file of the Startup folders, and
// "win.ini|run" / "win.ini|load" -> the line's items, sorted (an item comes
// back at the end of its line).
std::map<std::string, std::string> StartupSetBytes();

// Remembers a registry value (or that it is missing) and puts it back when
// the object goes, whatever the test did to it meanwhile.
class SavedValue {
  public:
    SavedValue(HKEY root, const std::string& keyPath, const std::string& name);
    ~SavedValue();
    SavedValue(const SavedValue&) = delete;
    SavedValue& operator=(const SavedValue&) = delete;

  private:
    HKEY root_;
    std::string keyPath_;
    std::string name_;
    bool existed_ = false;
    DWORD type_ = REG_NONE;
    std::string data_;
};

// Starts and ends each test with an empty startup set: the startup registry,
// both Startup folders and the win.ini parameters.
class StartupRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { ClearStartupSet(); }
    void TearDown() override { ClearStartupSet(); }
    static void ClearStartupSet() {
        ClearStartupRegistry();
        ClearStartupFolders();
        ClearWinIni();
    }
};

} // namespace kvtest
