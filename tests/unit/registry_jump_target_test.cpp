#include "dialogs/registry_jump.h"

#include <gtest/gtest.h>

#include <string>

using kv::RegistryJumpTarget;

namespace {

TEST(RegistryJumpTarget, RootNamedInFullAndTheRestKeptInItsCase) {
    struct Case {
        const char* location;
        const char* keyPath;
    };
    const Case cases[] = {
        {"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
         "\\HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
         "\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
        // The root name in any letter case.
        {"hkcu\\software\\microsoft\\windows\\currentversion\\run",
         "\\HKEY_CURRENT_USER\\software\\microsoft\\windows\\currentversion\\run"},
        {"hKlM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sub Key",
         "\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Sub Key"},
        {"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\Section 1",
         "\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\Section "
         "1"},
        // Locations outside the registry, and roots that only begin alike.
        {"C:\\Startup", ""},
        {"section: [windows]; parameter: run", ""},
        {"HKCUX\\Software", ""},
        {"HK\\Software", ""},
        {"HKCR\\Software", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        const kv::RegistryTarget target = RegistryJumpTarget(c.location, "Value Name");
        EXPECT_EQ(c.keyPath, target.keyPath) << c.location;
        EXPECT_EQ("Value Name", target.valueName) << c.location;
    }
    // A section name of any length is kept whole.
    const std::string section(400, 's');
    EXPECT_EQ("\\HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\" +
                  section,
              RegistryJumpTarget(
                  "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\" + section, "v")
                  .keyPath);
}

} // namespace
