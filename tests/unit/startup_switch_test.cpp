// Windows' own startup switch as plain data: which bytes say off, what
// turning it on leaves, and which locations have a switch where.
#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "entries/startup_switch.h"

#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

std::string Bytes(std::initializer_list<int> values) {
    std::string bytes;
    for (const int value : values) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

TEST(StartupSwitchRule, OddFirstByteOfABinaryValueMeansOff) {
    struct Case {
        DWORD type;
        std::string bytes;
        bool off;
    };
    const std::string time = Bytes({0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x01});
    const Case cases[] = {
        {REG_BINARY, Bytes({3, 0, 0, 0}) + time, true},
        {REG_BINARY, Bytes({7, 0, 0, 0}) + time, true},
        {REG_BINARY, Bytes({1}), true},
        {REG_BINARY, Bytes({2, 0, 0, 0}) + std::string(8, '\0'), false},
        {REG_BINARY, Bytes({6, 0, 0, 0}) + std::string(8, '\0'), false},
        {REG_BINARY, Bytes({0}), false},
        {REG_BINARY, "", false},
        {REG_SZ, Bytes({3, 0}), false},
        {REG_DWORD, Bytes({3, 0, 0, 0}), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.off, kv::SwitchSaysOff(c.type, c.bytes))
            << "type " << c.type << ", " << c.bytes.size() << " bytes";
    }
}

TEST(StartupSwitchRule, TurningOnClearsBitZeroAndTheTime) {
    EXPECT_EQ(Bytes({2, 9, 8, 7}) + std::string(8, '\0') + Bytes({5}),
              kv::SwitchTurnedOn(Bytes({3, 9, 8, 7, 1, 2, 3, 4, 5, 6, 7, 8, 5})));
    EXPECT_EQ(Bytes({6}), kv::SwitchTurnedOn(Bytes({7})));
    EXPECT_EQ(Bytes({0xFE, 0, 0, 0, 0, 0}), kv::SwitchTurnedOn(Bytes({0xFF, 0, 0, 0, 0x11, 0x22})));
}

TEST(StartupSwitchRule, OnlyTheStartLocationsHaveASwitch) {
    const std::string approved =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
    struct Case {
        std::string location;
        HKEY root;
        std::string key; // empty: no switch
    };
    const Case cases[] = {
        {"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run", HKEY_CURRENT_USER, "Run"},
        {"hklm\\software\\microsoft\\windows\\currentversion\\run", HKEY_LOCAL_MACHINE, "Run"},
        {"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run", HKEY_LOCAL_MACHINE,
         "Run32"},
        {"C:\\Start\\User", HKEY_CURRENT_USER, "StartupFolder"},
        {"C:\\Start\\All", HKEY_LOCAL_MACHINE, "StartupFolder"},
        {"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", nullptr, ""},
        {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", nullptr,
         ""},
        {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\Setup", nullptr, ""},
        {"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Vendor", nullptr, ""},
        {"section: [windows]; parameter: run", nullptr, ""},
    };
    for (const Case& c : cases) {
        const kv::SwitchKey key = kv::SwitchKeyOf(
            kv::ClassifyLocationIn(c.location, "C:\\Start\\User", "C:\\Start\\All"));
        if (c.key.empty()) {
            EXPECT_TRUE(key.keyPath.empty()) << c.location;
        } else {
            EXPECT_EQ(c.root, key.root) << c.location;
            EXPECT_EQ(approved + c.key, key.keyPath) << c.location;
        }
    }
}

// The switch of an entry whose name the code page cannot carry is found,
// turned on and deleted by that exact name; a neighbour whose name reads the
// same with "?" keeps its own switch.
class StartupSwitch : public kvtest::StartupRegistryTest {};

TEST_F(StartupSwitch, AnExactNameFindsItsOwnSwitch) {
    const std::string off = Bytes({3, 0, 0, 0, 9, 9, 9, 9, 9, 9, 9, 9});
    struct Case {
        std::string location;
        HKEY root;
        std::string key;
        std::wstring name;      // the entry's exact name
        std::wstring neighbour; // reads as the same title in the code page
    };
    const std::string approved =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\";
    const Case cases[] = {
        {"HKCU\\" + std::string(kv::kRunKey), HKEY_CURRENT_USER, approved + "Run",
         L"Tool \u65e5", L"Tool \u672c"},
        {kv::GetStartupFolderPath(kv::kCurrentUserStartup), HKEY_CURRENT_USER,
         approved + "StartupFolder", L"Tool \u65e5.lnk", L"Tool \u672c.lnk"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.location);
        kv::StartupEntry entry;
        entry.exactName = test.name;
        entry.title = kv::Narrow(test.name);
        entry.location = test.location;
        kv::StartupEntry neighbour = entry;
        neighbour.exactName = test.neighbour;
        ASSERT_EQ(entry.title, kv::Narrow(test.neighbour));

        const auto setOff = [&](const std::wstring& name) {
            kv::RegKey key;
            ASSERT_TRUE(key.Create(test.root, test.key, KEY_ALL_ACCESS));
            ASSERT_EQ(ERROR_SUCCESS,
                      RegSetValueExW(key.get(), name.c_str(), 0, REG_BINARY,
                                     reinterpret_cast<const BYTE*>(off.data()),
                                     static_cast<DWORD>(off.size())));
        };
        const auto bytesOf = [&](const std::wstring& name) {
            kv::RegKey key;
            DWORD type = REG_NONE;
            std::string bytes;
            if (!key.Open(test.root, test.key, KEY_QUERY_VALUE) ||
                kv::QueryValueWide(key.get(), name, type, bytes) != ERROR_SUCCESS) {
                return std::string("<none>");
            }
            return bytes;
        };
        const kv::LocationClass place = kv::ClassifyLocation(test.location);
        setOff(test.name);
        EXPECT_TRUE(kv::SwitchedOffEntries::Read().Contains(place, entry));
        EXPECT_FALSE(kv::SwitchedOffEntries::Read().Contains(place, neighbour));

        EXPECT_TRUE(kv::TurnSwitchOn(entry));
        EXPECT_EQ(kv::SwitchTurnedOn(off), bytesOf(test.name));
        EXPECT_FALSE(kv::SwitchedOffEntries::Read().Contains(place, entry));

        setOff(test.neighbour);
        EXPECT_TRUE(kv::DeleteSwitch(entry));
        EXPECT_EQ("<none>", bytesOf(test.name));
        EXPECT_EQ(off, bytesOf(test.neighbour));
        EXPECT_TRUE(kv::SwitchedOffEntries::Read().Contains(place, neighbour));
        EXPECT_FALSE(kv::SwitchedOffEntries::Read().Contains(place, entry));
        EXPECT_TRUE(kv::DeleteSwitch(neighbour));
        EXPECT_EQ("<none>", bytesOf(test.neighbour));
    }
}

} // namespace

namespace {

TEST(StartupSwitchRule, TurningOffSetsBitZeroAndStampsTheTime) {
    const unsigned long long when = 0x0123456789ABCDEFull;
    const std::string stamp = Bytes({0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01});
    struct Case {
        std::string bytes;
        std::string off;
    };
    const Case cases[] = {
        // On as Windows writes it: its state kept, bit 0 set.
        {Bytes({2, 0, 0, 0}) + std::string(8, '\0'), Bytes({3, 0, 0, 0}) + stamp},
        {Bytes({6, 1, 0, 0}) + std::string(8, '\0'), Bytes({7, 1, 0, 0}) + stamp},
        // No value, or one too short for a state: made whole.
        {"", Bytes({3, 0, 0, 0}) + stamp},
        {Bytes({2}), Bytes({3, 0, 0, 0}) + stamp},
        // A short time is filled; bytes after the time are kept.
        {Bytes({2, 0, 0, 0, 9}), Bytes({3, 0, 0, 0}) + stamp},
        {Bytes({2, 0, 0, 0}) + std::string(8, '\0') + Bytes({0x55}),
         Bytes({3, 0, 0, 0}) + stamp + Bytes({0x55})},
    };
    for (const Case& c : cases) {
        const std::string off = kv::SwitchTurnedOff(c.bytes, when);
        EXPECT_EQ(c.off, off) << c.bytes.size();
        EXPECT_TRUE(kv::SwitchSaysOff(REG_BINARY, off));
    }
}

} // namespace
