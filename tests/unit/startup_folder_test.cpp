#include "entries/command_path.h"
#include "entries/startup_folder.h"

#include "support/files.h"
#include "support/registry_fixture.h"
#include "support/rows.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>

using kv::GetStartupFolderPath;
using kv::ScanStartupFolder;
using kvtest::AllUsersStartupFolder;
using kvtest::CurrentUserStartupFolder;
using kvtest::MakeShellLink;

namespace {

class StartupFolder : public kvtest::StartupRegistryTest {
  protected:
    void SetUp() override {
        StartupRegistryTest::SetUp();
        userFolder = CurrentUserStartupFolder();
        commonFolder = AllUsersStartupFolder();
        ASSERT_FALSE(userFolder.empty());
        ASSERT_FALSE(commonFolder.empty());
        notepad = kv::WindowsDirectory() + "\\notepad.exe";
        regedit = kv::WindowsDirectory() + "\\regedit.exe";
        ASSERT_TRUE(kvtest::FileExists(notepad));
    }
    std::string userFolder;
    std::string commonFolder;
    std::string notepad;
    std::string regedit;
};

using kvtest::FindTitle;

// A file made and removed by its wide "\\?\" path, which may be longer than
// MAX_PATH; the path is taken to be ASCII.
class LongPathFile {
  public:
    explicit LongPathFile(const std::string& path)
        : wide_(L"\\\\?\\" + std::wstring(path.begin(), path.end())) {
        const HANDLE file = CreateFileW(wide_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, file) << path << " " << GetLastError();
        CloseHandle(file);
    }
    ~LongPathFile() { DeleteFileW(wide_.c_str()); }
    LongPathFile(const LongPathFile&) = delete;
    LongPathFile& operator=(const LongPathFile&) = delete;

  private:
    std::wstring wide_;
};

TEST_F(StartupFolder, FindsBothFoldersInShellFolders) {
    EXPECT_EQ(userFolder, GetStartupFolderPath(kv::kCurrentUserStartup));
    EXPECT_EQ(commonFolder, GetStartupFolderPath(kv::kAllUsersStartup));
    EXPECT_EQ(commonFolder, GetStartupFolderPath(7)); // any selector but 0
    EXPECT_TRUE(ScanStartupFolder(kv::kCurrentUserStartup).empty());
}

TEST_F(StartupFolder, ShortcutsNameTheirTargetAndArguments) {
    const std::string cyrillic = kvtest::Ansi("Обновление.lnk");
    MakeShellLink(userFolder + "\\Editor.lnk", notepad, "/p C:\\notes.txt");
    MakeShellLink(userFolder + "\\Registry.lnk", regedit);
    MakeShellLink(userFolder + "\\" + cyrillic, notepad, kvtest::Ansi("/тихо"));
    const std::vector<kv::StartupEntry> rows = ScanStartupFolder(kv::kCurrentUserStartup);
    ASSERT_EQ(3u, rows.size());

    const kv::StartupEntry* editor = FindTitle(rows, "Editor.lnk");
    ASSERT_NE(nullptr, editor);
    EXPECT_EQ(notepad + " /p C:\\notes.txt", editor->command);
    EXPECT_EQ(userFolder, editor->location);
    EXPECT_EQ(kv::kIconLookup, editor->icon);
    EXPECT_EQ(notepad, editor->iconPath); // the target's icon, not the link's

    const kv::StartupEntry* registry = FindTitle(rows, "Registry.lnk");
    ASSERT_NE(nullptr, registry);
    EXPECT_EQ(regedit, registry->command); // no trailing blank

    const kv::StartupEntry* update = FindTitle(rows, cyrillic);
    ASSERT_NE(nullptr, update);
    EXPECT_EQ(notepad + kvtest::Ansi(" /тихо"), update->command);

    // The all-users folder has its own rows.
    EXPECT_TRUE(ScanStartupFolder(kv::kAllUsersStartup).empty());
}

TEST_F(StartupFolder, EntriesThatAreNoLinksNameThemselves) {
    ASSERT_TRUE(CopyFileA(notepad.c_str(), (commonFolder + "\\tool.exe").c_str(), FALSE));
    const std::string desktopIni = commonFolder + "\\desktop.ini";
    kvtest::MakeFile(desktopIni, "[.ShellClassInfo]\r\n");
    SetFileAttributesA(desktopIni.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    kvtest::MakeFolder(commonFolder + "\\Sub");
    kvtest::MakeFile(commonFolder + "\\Sub\\inner.txt", "x");
    kvtest::MakeFile(commonFolder + "\\damaged.lnk", "this is not a shell link");
    MakeShellLink(commonFolder + "\\Good.lnk", notepad);

    const std::vector<kv::StartupEntry> rows = ScanStartupFolder(kv::kAllUsersStartup);
    ASSERT_EQ(5u, rows.size()); // no rows for "." and "..", none from inside Sub
    for (const char* name : {"tool.exe", "desktop.ini", "Sub", "damaged.lnk"}) {
        const kv::StartupEntry* row = FindTitle(rows, name);
        ASSERT_NE(nullptr, row) << name;
        EXPECT_EQ(commonFolder + "\\" + name, row->command);
        EXPECT_EQ(commonFolder + "\\" + name, row->iconPath);
        EXPECT_EQ(commonFolder, row->location);
    }
    ASSERT_NE(nullptr, FindTitle(rows, "Good.lnk"));
    EXPECT_EQ(notepad, FindTitle(rows, "Good.lnk")->command);
}

TEST_F(StartupFolder, ABrokenLinkIsListedWithoutAsking) {
    const std::string missing = kv::WindowsDirectory() + "\\no-such-program.exe";
    MakeShellLink(userFolder + "\\Gone.lnk", missing, "-x");
    const std::vector<kv::StartupEntry> rows = ScanStartupFolder(kv::kCurrentUserStartup);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("Gone.lnk", rows[0].title);
    // Either the link's recorded target or, when it cannot be resolved, the
    // link itself; never an empty command.
    EXPECT_TRUE(rows[0].command == missing + " -x" || rows[0].command == userFolder + "\\Gone.lnk")
        << rows[0].command;
}

TEST_F(StartupFolder, LongArgumentsAndPathsComeBackWhole) {
    const std::string arguments = "/list " + std::string(5000, 'a') + " /end";
    MakeShellLink(userFolder + "\\Long.lnk", notepad, arguments);

    // A folder near the path limit, holding a file whose full path passes it.
    kvtest::TempFolder temp("sf");
    std::string deep = temp.path();
    while (deep.size() < 230) {
        deep += "\\" + std::string(20, 'd');
        kvtest::MakeFolder(deep);
    }
    const std::string name = std::string(60, 'f') + ".txt";
    const LongPathFile longFile(deep + "\\" + name);

    const std::vector<kv::StartupEntry> userRows = ScanStartupFolder(kv::kCurrentUserStartup);
    ASSERT_EQ(1u, userRows.size());
    EXPECT_EQ(notepad + " " + arguments, userRows[0].command);

    kvtest::SavedValue saved(HKEY_CURRENT_USER, kv::kShellFoldersKey, "Startup");
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kShellFoldersKey, "Startup", deep);
    const std::vector<kv::StartupEntry> deepRows = ScanStartupFolder(kv::kCurrentUserStartup);
    ASSERT_EQ(1u, deepRows.size());
    EXPECT_EQ(name, deepRows[0].title);
    EXPECT_EQ(deep + "\\" + name, deepRows[0].command);
    EXPECT_EQ(deep, deepRows[0].location);

    // A stored path far longer than any folder can be: read whole, no rows.
    const std::string tooLong = "C:\\" + std::string(1000, 'x');
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kShellFoldersKey, "Startup", tooLong);
    EXPECT_EQ(tooLong, GetStartupFolderPath(kv::kCurrentUserStartup));
    EXPECT_TRUE(ScanStartupFolder(kv::kCurrentUserStartup).empty());
}

TEST_F(StartupFolder, LocationIsThePathAsStored) {
    kvtest::TempFolder temp("sf");
    kvtest::MakeFile(temp / "notes.txt", "x");
    // The file system does not mind the case; the location keeps it as stored,
    // and the value's type is not looked at.
    std::string stored = temp.path();
    for (char& c : stored) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    kvtest::SavedValue saved(HKEY_CURRENT_USER, kv::kShellFoldersKey, "Startup");
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kShellFoldersKey, "Startup", stored, REG_EXPAND_SZ);
    const std::vector<kv::StartupEntry> rows = ScanStartupFolder(kv::kCurrentUserStartup);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(stored, rows[0].location);
    EXPECT_EQ(stored + "\\notes.txt", rows[0].command);
}

TEST_F(StartupFolder, ValueNamesMatchInAnyCaseButWhole) {
    MakeShellLink(userFolder + "\\Editor.lnk", notepad);
    const HKEY user = HKEY_CURRENT_USER;
    kvtest::SavedValue saved(user, kv::kShellFoldersKey, "Startup");
    // The registry holds one value per name whatever its case; Wine stores
    // this one as "StartUp".
    for (const char* name : {"StartUp", "startup", "STARTUP"}) {
        kvtest::DeleteValue(user, kv::kShellFoldersKey, "Startup");
        kvtest::SetValue(user, kv::kShellFoldersKey, name, userFolder);
        EXPECT_EQ(userFolder, GetStartupFolderPath(kv::kCurrentUserStartup)) << name;
        EXPECT_EQ(1u, ScanStartupFolder(kv::kCurrentUserStartup).size()) << name;
    }
    // Names that only hold the wanted one are other values.
    kvtest::DeleteValue(user, kv::kShellFoldersKey, "Startup");
    kvtest::SavedValue longer(user, kv::kShellFoldersKey, "Startup Old");
    kvtest::SavedValue common(user, kv::kShellFoldersKey, "Common Startup");
    kvtest::SetValue(user, kv::kShellFoldersKey, "Startup Old", userFolder);
    kvtest::SetValue(user, kv::kShellFoldersKey, "Common Startup", userFolder);
    EXPECT_EQ("", GetStartupFolderPath(kv::kCurrentUserStartup));
    EXPECT_TRUE(ScanStartupFolder(kv::kCurrentUserStartup).empty());
}

TEST_F(StartupFolder, AMissingCommonStartupGivesNoRows) {
    MakeShellLink(commonFolder + "\\Shared.lnk", notepad);
    MakeShellLink(userFolder + "\\Own.lnk", notepad);
    {
        kvtest::SavedValue saved(HKEY_LOCAL_MACHINE, kv::kShellFoldersKey, "Common Startup");
        kvtest::DeleteValue(HKEY_LOCAL_MACHINE, kv::kShellFoldersKey, "Common Startup");
        EXPECT_EQ("", GetStartupFolderPath(kv::kAllUsersStartup));
        EXPECT_TRUE(ScanStartupFolder(kv::kAllUsersStartup).empty());
        // The current user's value is no stand-in for the missing one.
        EXPECT_EQ(1u, ScanStartupFolder(kv::kCurrentUserStartup).size());
    }
    EXPECT_EQ(1u, ScanStartupFolder(kv::kAllUsersStartup).size());
}

TEST_F(StartupFolder, LongOtherValuesDoNotEndTheSearch) {
    const std::string longName = "A" + std::string(1000, 'n');
    const std::string longDataName = "A long path";
    kvtest::SavedValue savedName(HKEY_CURRENT_USER, kv::kShellFoldersKey, longName);
    kvtest::SavedValue savedData(HKEY_CURRENT_USER, kv::kShellFoldersKey, longDataName);
    kvtest::SavedValue savedStartup(HKEY_CURRENT_USER, kv::kShellFoldersKey, "Startup");
    // "Startup" is made last so that it comes after the long values whether
    // the registry lists values by name or by age.
    kvtest::DeleteValue(HKEY_CURRENT_USER, kv::kShellFoldersKey, "Startup");
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kShellFoldersKey, longName, "C:\\x");
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kShellFoldersKey, longDataName,
                     "C:\\" + std::string(10000, 'p'));
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kShellFoldersKey, "Startup", userFolder);
    EXPECT_EQ(userFolder, GetStartupFolderPath(kv::kCurrentUserStartup));
}

} // namespace
