// Windows' own startup switch as plain data: which bytes say off, what
// turning it on leaves, and which locations have a switch where.
#include "entries/catalogue.h"
#include "entries/startup_switch.h"

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

} // namespace
