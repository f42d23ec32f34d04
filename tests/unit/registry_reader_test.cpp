#include "base/text.h"
#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/registry.h"
#include "entries/registry_reader.h"

#include "support/registry_fixture.h"
#include "support/rows.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <thread>
#include <utility>

using kv::ScanRegistryKey;
using kv::ScanRegistrySubkeys;
using kvtest::SetValue;

namespace {

const std::string kHkcuRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class RegistryReader : public kvtest::StartupRegistryTest {};

using kvtest::FindTitle;

// Windows starts string and expandable values; other types are no entries.
// An expandable value shows its data as stored, and its program file is
// found with the variables expanded.
TEST_F(RegistryReader, ListsStringAndExpandableValuesOnly) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Plain", "C:\\windows\\notepad.exe /a");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Expand", "%windir%\\notepad.exe -e", REG_EXPAND_SZ);
    kvtest::SetDwordValue(HKEY_CURRENT_USER, kv::kRunKey, "Number", 7);
    const kv::RegistryScan scan = ScanRegistryKey("HKCU", kv::kRunKey);
    EXPECT_TRUE(scan.opened);
    ASSERT_EQ(2u, scan.rows.size());
    const kv::StartupEntry* expand = FindTitle(scan.rows, "Expand");
    ASSERT_NE(nullptr, expand);
    EXPECT_EQ("%windir%\\notepad.exe -e", expand->command);
    EXPECT_EQ(static_cast<unsigned long>(REG_EXPAND_SZ), expand->kept.valueType);
    EXPECT_EQ(kv::kIconOfCommand, expand->icon);
    EXPECT_EQ(kv::LowerAscii(kv::WindowsDirectory() + "\\notepad.exe"),
              kv::LowerAscii(kv::ResolveProgramFile(expand->command)));
    const kv::StartupEntry* plain = FindTitle(scan.rows, "Plain");
    ASSERT_NE(nullptr, plain);
    EXPECT_EQ("C:\\windows\\notepad.exe /a", plain->command);
    EXPECT_EQ(kHkcuRun, plain->location);
    // The icon is that of the program file, not of the whole command.
    EXPECT_EQ(kv::kIconOfCommand, plain->icon);
}

TEST_F(RegistryReader, EmptyDataAndTheUnnamedValue) {
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunOnceKey, "Empty", "");
    SetValue(HKEY_LOCAL_MACHINE, kv::kRunOnceKey, "", "unnamed.exe");
    const kv::RegistryScan scan = ScanRegistryKey("HKLM", kv::kRunOnceKey);
    ASSERT_EQ(2u, scan.rows.size());
    const kv::StartupEntry* empty = FindTitle(scan.rows, "Empty");
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ("", empty->command);
    EXPECT_EQ(0, empty->icon); // no look-up for an empty command
    const kv::StartupEntry* unnamed = FindTitle(scan.rows, "");
    ASSERT_NE(nullptr, unnamed);
    EXPECT_EQ("unnamed.exe", unnamed->command);
    EXPECT_EQ("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", unnamed->location);
}

TEST_F(RegistryReader, MissingKeyIsReported) {
    kvtest::DeleteKeyTree(HKEY_LOCAL_MACHINE, kv::kRunServicesOnceKey);
    const kv::RegistryScan scan = ScanRegistryKey("HKLM", kv::kRunServicesOnceKey);
    EXPECT_FALSE(scan.opened);
    EXPECT_TRUE(scan.rows.empty());
    // A missing RunOnceEx simply has no sections.
    EXPECT_TRUE(ScanRegistrySubkeys("HKLM", kv::kRunOnceExKey).rows.empty());
}

TEST_F(RegistryReader, DataWithoutTerminatingZeroOrOfAnyLength) {
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "NoZero", "C:\\tool.exe -x", REG_SZ, false);
    const std::string longData = "C:\\long.exe " + std::string(100000, 'z');
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Long", longData);
    const std::string longName(2000, 'n');
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, longName, "x.exe");
    const kv::RegistryScan scan = ScanRegistryKey("HKCU", kv::kRunKey);
    ASSERT_EQ(3u, scan.rows.size());
    ASSERT_NE(nullptr, FindTitle(scan.rows, "NoZero"));
    EXPECT_EQ("C:\\tool.exe -x", FindTitle(scan.rows, "NoZero")->command);
    ASSERT_NE(nullptr, FindTitle(scan.rows, "Long"));
    EXPECT_EQ(longData, FindTitle(scan.rows, "Long")->command);
    ASSERT_NE(nullptr, FindTitle(scan.rows, longName));
    EXPECT_EQ("x.exe", FindTitle(scan.rows, longName)->command);
}

TEST_F(RegistryReader, CyrillicNamesAndData) {
    const std::string title = kvtest::Ansi("Обновление");
    const std::string command = kvtest::Ansi("C:\\Программы\\обновить.exe /тихо");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, title, command);
    const kv::RegistryScan scan = ScanRegistryKey("HKCU", kv::kRunKey);
    ASSERT_EQ(1u, scan.rows.size());
    EXPECT_EQ(title, scan.rows[0].title);
    EXPECT_EQ(command, scan.rows[0].command);
}

TEST_F(RegistryReader, RunOnceExSectionsWithCaptions) {
    const std::string section = std::string(kv::kRunOnceExKey) + "\\Setup1";
    SetValue(HKEY_LOCAL_MACHINE, section, "", "Installing tools");
    SetValue(HKEY_LOCAL_MACHINE, section, "1", "||notepad.exe");
    SetValue(HKEY_LOCAL_MACHINE, section, "2", "mylib.dll|Entry|x");
    const kv::RegistryScan scan = ScanRegistrySubkeys("HKLM", kv::kRunOnceExKey);
    ASSERT_EQ(3u, scan.rows.size());
    for (const kv::StartupEntry& row : scan.rows) {
        EXPECT_EQ("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\Setup1",
                  row.location);
    }
    ASSERT_NE(nullptr, FindTitle(scan.rows, ""));
    EXPECT_EQ("Installing tools", FindTitle(scan.rows, "")->command);
    ASSERT_NE(nullptr, FindTitle(scan.rows, "2"));
    EXPECT_EQ("mylib.dll|Entry|x", FindTitle(scan.rows, "2")->command);
}

TEST_F(RegistryReader, SubkeysTakeEveryValueAsText) {
    const std::string sub = std::string(kv::kRunKey) + "\\Vendor";
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Own", "own.exe");
    SetValue(HKEY_CURRENT_USER, sub, "Helper", "helper.exe", REG_EXPAND_SZ);
    SetValue(HKEY_CURRENT_USER, sub, "Binary", std::string("ab\0cd", 5), REG_BINARY);
    const kv::RegistryScan scan = ScanRegistrySubkeys("HKCU", kv::kRunKey);
    ASSERT_EQ(2u, scan.rows.size()); // the Run key's own value is not a subkey's
    ASSERT_NE(nullptr, FindTitle(scan.rows, "Helper"));
    EXPECT_EQ(kHkcuRun + "\\Vendor", FindTitle(scan.rows, "Helper")->location);
    EXPECT_EQ("helper.exe", FindTitle(scan.rows, "Helper")->command);
    ASSERT_NE(nullptr, FindTitle(scan.rows, "Binary"));
    EXPECT_EQ("ab", FindTitle(scan.rows, "Binary")->command); // up to the first zero byte
    // The subkey name keeps the case the registry gives it.
    EXPECT_EQ(std::string::npos, FindTitle(scan.rows, "Helper")->location.find("vendor"));
}

// The keys of two opens of the Run key on a thread of their own, inside a
// shared-keys scope there; null when an open failed.
std::pair<HKEY, HKEY> TwoOpensOnAnotherThread() {
    std::pair<HKEY, HKEY> keys(nullptr, nullptr);
    std::thread other([&keys] {
        const kv::SharedKeysScope scope;
        kv::RegKey first;
        kv::RegKey second;
        if (first.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_QUERY_VALUE) &&
            second.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_QUERY_VALUE)) {
            keys = {first.get(), second.get()};
        }
    });
    other.join();
    return keys;
}

LONG QueryInfo(HKEY key) {
    return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr);
}

// One shared-keys scope is in force at a time, and only on its own thread:
// while it is, another thread's scope shares nothing and its keys are its
// own; the keys shared in the scope are closed when it ends; a later scope
// on another thread shares its keys there.
TEST_F(RegistryReader, SharedKeysStayOnTheThreadWhoseScopeIsInForce) {
    HKEY shared = nullptr;
    {
        const kv::SharedKeysScope scope;
        kv::RegKey first;
        kv::RegKey second;
        ASSERT_TRUE(first.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_QUERY_VALUE));
        ASSERT_TRUE(second.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_QUERY_VALUE));
        EXPECT_EQ(first.get(), second.get());
        shared = first.get();
        const std::pair<HKEY, HKEY> other = TwoOpensOnAnotherThread();
        ASSERT_NE(nullptr, other.first);
        EXPECT_NE(shared, other.first);
        EXPECT_NE(other.first, other.second);
        EXPECT_EQ(ERROR_SUCCESS, QueryInfo(shared));
    }
    EXPECT_EQ(ERROR_INVALID_HANDLE, QueryInfo(shared));
    const std::pair<HKEY, HKEY> later = TwoOpensOnAnotherThread();
    ASSERT_NE(nullptr, later.first);
    EXPECT_EQ(later.first, later.second);
}

} // namespace
