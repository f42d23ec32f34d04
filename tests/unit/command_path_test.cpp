#include "entries/command_path.h"
#include "entries/path_cache.h"

#include "support/files.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <set>

using kv::ResolveCommandPath;
using kv::ResolveCommandPathIn;
using kv::ResolveMode;

namespace {

// A file system made of a fixed set of paths, with its own Windows and
// System directories; it records every path asked for.
struct FakeFiles {
    std::set<std::string> paths;
    std::vector<std::string> asked;
    kv::PathEnvironment env() {
        return kv::PathEnvironment{"C:\\WIN", "C:\\WIN\\SYS",
                                   [this](const std::string& path) {
                                       asked.push_back(path);
                                       return paths.count(path) != 0;
                                   },
                                   [](const std::string& command) {
                                       // %APPS% stands for a folder with a blank.
                                       std::string expanded = command;
                                       const std::string name = "%APPS%";
                                       for (std::string::size_type at = expanded.find(name);
                                            at != std::string::npos; at = expanded.find(name)) {
                                           expanded.replace(at, name.size(), "C:\\My Apps");
                                       }
                                       return expanded;
                                   }};
    }
    std::string Program(const std::string& command) {
        return ResolveCommandPathIn(command, ResolveMode::ProgramPath, env());
    }
    std::string Arguments(const std::string& command) {
        return ResolveCommandPathIn(command, ResolveMode::Arguments, env());
    }
};

TEST(CommandPathRule, GrowsThePathWordByWordUntilAFileExists) {
    FakeFiles files;
    files.paths = {"C:\\Program Files\\App\\app.exe"};
    EXPECT_EQ("C:\\Program Files\\App\\app.exe",
              files.Program("C:\\Program Files\\App\\app.exe -min"));
    ASSERT_FALSE(files.asked.empty());
    EXPECT_EQ("C:\\Program", files.asked.front()); // the first word is asked first
    EXPECT_EQ("-min", files.Arguments("C:\\Program Files\\App\\app.exe -min"));
    // Blanks inside the arguments are kept as written; runs of blanks between
    // path words are not part of the path.
    EXPECT_EQ("-a  -b ", files.Arguments("C:\\Program Files\\App\\app.exe -a  -b "));
    EXPECT_EQ("", files.Arguments("C:\\Program Files\\App\\app.exe"));
    EXPECT_EQ("", files.Arguments("C:\\Program Files\\App\\app.exe "));
}

// The program file of a command with variables is found after they are
// expanded, as Windows starts an expandable value; the plain rule keeps the
// text as written.
TEST(CommandPathRule, VariablesAreExpandedBeforeTheProgramFileIsFound) {
    FakeFiles files;
    files.paths = {"C:\\My Apps\\t.exe"};
    EXPECT_EQ("C:\\My Apps\\t.exe", kv::ResolveProgramFileIn("%APPS%\\t.exe -q", files.env()));
    EXPECT_EQ("%APPS%\\t.exe -q", files.Program("%APPS%\\t.exe -q"));
    EXPECT_EQ("notes.exe", kv::ResolveProgramFileIn("notes.exe", files.env()));
}

TEST(CommandPathRule, QuotedPathAndItsArguments) {
    FakeFiles files;
    files.paths = {"C:\\My Tools\\t.exe"};
    EXPECT_EQ("C:\\My Tools\\t.exe", files.Program("\"C:\\My Tools\\t.exe\" /s"));
    files.asked.clear();
    // Arguments after a closing quote need no look-up; one character is skipped.
    EXPECT_EQ("/s", files.Arguments("\"C:\\My Tools\\t.exe\" /s"));
    EXPECT_EQ("s", files.Arguments("\"C:\\My Tools\\t.exe\"/s"));
    EXPECT_EQ("", files.Arguments("\"C:\\My Tools\\t.exe\""));
    EXPECT_TRUE(files.asked.empty());
    // An opening quote without a closing one is dropped.
    EXPECT_EQ("C:\\My Tools\\t.exe", files.Program("\"C:\\My Tools\\t.exe -x"));
    EXPECT_EQ("-x", files.Arguments("\"C:\\My Tools\\t.exe -x"));
}

TEST(CommandPathRule, WindowsDirectoryBeforeSystemDirectory) {
    FakeFiles files;
    files.paths = {"C:\\WIN\\SYS\\rundll32.exe"};
    EXPECT_EQ("C:\\WIN\\SYS\\rundll32.exe",
              files.Program("rundll32.exe shell32.dll,Control_RunDLL"));
    EXPECT_EQ("shell32.dll,Control_RunDLL",
              files.Arguments("rundll32.exe shell32.dll,Control_RunDLL"));
    files.paths.insert("C:\\WIN\\rundll32.exe");
    EXPECT_EQ("C:\\WIN\\rundll32.exe", files.Program("rundll32.exe x"));
    files.paths.insert("rundll32.exe");
    EXPECT_EQ("rundll32.exe", files.Program("rundll32.exe x"));
}

TEST(CommandPathRule, BarsOfRunOnceExLines) {
    FakeFiles files;
    files.paths = {"C:\\WIN\\notepad.exe", "C:\\WIN\\SYS\\mylib.dll"};
    EXPECT_EQ("C:\\WIN\\notepad.exe", files.Program("||notepad.exe"));
    EXPECT_EQ("C:\\WIN\\notepad.exe", files.Program("||notepad.exe a.txt"));
    EXPECT_EQ("C:\\WIN\\SYS\\mylib.dll", files.Program("mylib.dll|Entry|x"));
    // The arguments of a RunOnceEx bar line are the text from its last bar
    // on; "||" carries a plain command, whose arguments follow its program.
    EXPECT_EQ("|x", files.Arguments("mylib.dll|Entry|x"));
    EXPECT_EQ("a.txt", files.Arguments("||notepad.exe a.txt"));
    // A bar in the arguments of an ordinary command is part of them.
    files.paths.insert("C:\\WIN\\SYS\\cmd.exe");
    EXPECT_EQ("C:\\WIN\\SYS\\cmd.exe", files.Program("cmd.exe /c echo a | more"));
    EXPECT_EQ("/c echo a | more", files.Arguments("cmd.exe /c echo a | more"));
    EXPECT_EQ("/c a|b", files.Arguments("\"C:\\x y\\c.exe\" /c a|b"));
    EXPECT_EQ("|b", files.Arguments("cmd.exe |b"));
}

TEST(CommandPathRule, NothingFoundAndEmptyCommands) {
    FakeFiles files;
    EXPECT_EQ("foo bar", files.Program("foo bar"));
    EXPECT_EQ("", files.Arguments("foo bar"));
    EXPECT_EQ("   ", files.Program("   "));
    EXPECT_EQ("", files.Arguments("   "));
    EXPECT_EQ("", files.Program(""));
    EXPECT_EQ("", files.Arguments(""));
    EXPECT_EQ("a b", files.Program("\"a b\" c")); // quotes are gone, arguments not
}

TEST(CommandPathRule, LongCommandsAreNotCut) {
    FakeFiles files;
    const std::string path = "C:\\" + std::string(5000, 'p') + ".exe";
    files.paths = {path};
    const std::string arguments(7000, 'a');
    EXPECT_EQ(path, files.Program(path + " " + arguments));
    EXPECT_EQ(arguments, files.Arguments(path + " " + arguments));
    EXPECT_EQ(std::string(9000, 'x'), files.Program(std::string(9000, 'x')));
}

// A 32-bit process on 64-bit Windows looks up the programs Windows starts
// from the System folder through "Sysnative"; nothing else moves.
TEST(CommandPathRule, SystemFolderFilesAreLookedUpWhereWindowsStartsThem) {
    struct Case {
        const char* windows;
        bool wow64;
        const char* path;
        const char* lookup;
    };
    const Case cases[] = {
        {"C:\\Windows", true, "C:\\Windows\\System32\\ctfmon.exe",
         "C:\\Windows\\Sysnative\\ctfmon.exe"},
        {"C:\\Windows", true, "c:\\WINDOWS\\system32\\Drivers\\x.sys",
         "C:\\Windows\\Sysnative\\Drivers\\x.sys"},
        {"C:\\Windows", true, "C:/Windows/System32/a.exe", "C:\\Windows\\Sysnative/a.exe"},
        {"C:\\Windows", true, "C:\\Windows\\System32", "C:\\Windows\\Sysnative"},
        {"C:\\Windows\\", true, "C:\\Windows\\System32\\a.exe",
         "C:\\Windows\\Sysnative\\a.exe"},
        {"D:\\WinNT", true, "D:\\WinNT\\System32\\a.exe", "D:\\WinNT\\Sysnative\\a.exe"},
        // Not the System folder itself.
        {"C:\\Windows", true, "C:\\Windows\\System32x\\a.exe", "C:\\Windows\\System32x\\a.exe"},
        {"C:\\Windows", true, "C:\\Windows\\SysWOW64\\a.exe", "C:\\Windows\\SysWOW64\\a.exe"},
        {"C:\\Windows", true, "C:\\Windows\\notepad.exe", "C:\\Windows\\notepad.exe"},
        {"C:\\Windows", true, "D:\\Windows\\System32\\a.exe", "D:\\Windows\\System32\\a.exe"},
        {"C:\\Windows", true, "C:\\Windows\\Sys", "C:\\Windows\\Sys"},
        {"C:\\Windows", true, "System32\\a.exe", "System32\\a.exe"},
        {"C:\\Windows", true, "", ""},
        // A native process sees the System folder as it is.
        {"C:\\Windows", false, "C:\\Windows\\System32\\a.exe", "C:\\Windows\\System32\\a.exe"},
        {"", true, "C:\\Windows\\System32\\a.exe", "C:\\Windows\\System32\\a.exe"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.lookup, kv::FileLookupPathIn(c.windows, c.wow64, c.path)) << c.path;
    }
}

// The same rule against the real file system of the prefix.
class CommandPathOnDisk : public ::testing::Test {
  protected:
    kvtest::TempFolder folder{"cmdpath"};
};

TEST_F(CommandPathOnDisk, FindsRealFilesAndFolders) {
    kvtest::MakeFolder(folder / "My App");
    const std::string app = folder / "My App\\app.exe";
    kvtest::MakeFile(app, "MZ");
    EXPECT_EQ(app, ResolveCommandPath(app + " -min", ResolveMode::ProgramPath));
    EXPECT_EQ("-min", ResolveCommandPath(app + " -min", ResolveMode::Arguments));
    EXPECT_EQ(app, ResolveCommandPath("\"" + app + "\" /s", ResolveMode::ProgramPath));

    // A directory is found as well as a file: the first word wins.
    const std::string windows = kv::WindowsDirectory();
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(windows, ResolveCommandPath(windows + " more words", ResolveMode::ProgramPath));
    EXPECT_EQ("more words", ResolveCommandPath(windows + " more words", ResolveMode::Arguments));

    EXPECT_EQ("no such program here",
              ResolveCommandPath("no such program here", ResolveMode::ProgramPath));
}

// A program only in the System folder is found, and looked up where this
// process reaches it: the folder itself in a native build (the one run
// here), "Sysnative" in a 32-bit build on 64-bit Windows.
TEST_F(CommandPathOnDisk, SystemFolderProgramsAreFoundWhereThisProcessReachesThem) {
    BOOL wow64 = FALSE;
    ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &wow64));
    const std::string program = kv::SystemDirectory() + "\\kvnative.exe";
    // The native System folder, as this process writes into it.
    const std::string native =
        wow64 ? kv::WindowsDirectory() + "\\Sysnative\\kvnative.exe" : program;
    kvtest::MakeFile(native, "MZ");
    EXPECT_EQ(native, kv::FileLookupPath(program));
    EXPECT_TRUE(kv::PathExists(program));
    EXPECT_EQ(program, kv::ResolveProgramFile("kvnative.exe /s"));
    kvtest::RemovePath(native);
}

TEST_F(CommandPathOnDisk, BareNamesInTheWindowsAndSystemDirectories) {
    const std::string inSystem = kv::SystemDirectory() + "\\kvonlysys.exe";
    const std::string inWindows = kv::WindowsDirectory() + "\\kvonlywin.exe";
    kvtest::MakeFile(inSystem, "MZ");
    kvtest::MakeFile(inWindows, "MZ");
    EXPECT_EQ(inSystem, ResolveCommandPath("kvonlysys.exe shell32.dll,Control_RunDLL",
                                           ResolveMode::ProgramPath));
    EXPECT_EQ(
        "shell32.dll,Control_RunDLL",
        ResolveCommandPath("kvonlysys.exe shell32.dll,Control_RunDLL", ResolveMode::Arguments));
    EXPECT_EQ(inWindows, ResolveCommandPath("||kvonlywin.exe", ResolveMode::ProgramPath));
    kvtest::RemovePath(inSystem);
    kvtest::RemovePath(inWindows);
    EXPECT_EQ("kvonlysys.exe", ResolveCommandPath("kvonlysys.exe", ResolveMode::ProgramPath));
}

TEST_F(CommandPathOnDisk, ListedFoldersAnswerAsTheFileSystemDoes) {
    // Commands of every shape the readers meet, some naming files of a
    // folder with blanks in its names, and names the listing must leave to
    // the file system.
    kvtest::MakeFolder(folder / "Vendor 1");
    kvtest::MakeFolder(folder / "Common Files");
    const std::string tool = folder / "Vendor 1\\tool.exe";
    const std::string app = folder / "Common Files\\app.exe";
    const std::string late = folder / "Vendor 1\\late tool.exe";
    kvtest::MakeFile(tool, "MZ");
    // Russian names in another letter case than the file's, ё, ч and я too.
    kvtest::MakeFile(folder / kvtest::Ansi("Ключ ёжа.exe"), "MZ");
    kvtest::MakeFile(folder / kvtest::Ansi("язь.exe"), "MZ");
    const std::vector<std::string> commands = {"\"" + tool + "\" /tray",
                                               tool + " /tray",
                                               app + " -min -q",
                                               folder / "Common Files",
                                               late + " -x",
                                               folder / "VENDOR 1\\Tool.EXE",
                                               folder / "Vendor 1\\.\\tool.exe /s",
                                               folder / "Vendor 1\\..\\Vendor 1\\tool.exe",
                                               tool + ". -a",
                                               tool + " ",
                                               tool + ":x",
                                               tool + "\\more",
                                               "||notepad.exe file1.txt",
                                               "mylib1.dll|Entry|x",
                                               "rundll32.exe shell32.dll,Control_RunDLL 1",
                                               kv::WindowsDirectory() + "\\notepad.exe",
                                               "notepad",
                                               "NOTEPAD.EXE /p",
                                               "regedit.exe",
                                               "C:",
                                               "C:\\",
                                               "C:notepad.exe",
                                               "*.exe",
                                               "nul",
                                               "con.exe x",
                                               "no such program here",
                                               "",
                                               "   ",
                                               folder / kvtest::Ansi("КЛЮЧ ЁЖА.EXE /k"),
                                               folder / kvtest::Ansi("ЯЗЬ.exe")};
    const auto answers = [&commands]() {
        std::vector<std::string> found;
        for (const std::string& command : commands) {
            found.push_back(ResolveCommandPath(command, ResolveMode::ProgramPath));
            found.push_back(ResolveCommandPath(command, ResolveMode::Arguments));
        }
        return found;
    };
    const auto listedAnswers = [&answers]() {
        kv::PathCacheScope refresh;
        return answers();
    };
    const std::vector<std::string> before = answers();
    EXPECT_EQ(before, listedAnswers());

    // Files appear and vanish between two refreshes: the next one sees it.
    kvtest::MakeFile(app, "MZ");
    kvtest::MakeFile(late, "MZ");
    kvtest::RemovePath(tool);
    const std::vector<std::string> after = answers();
    EXPECT_NE(before, after);
    EXPECT_EQ(after, listedAnswers());
}

} // namespace
