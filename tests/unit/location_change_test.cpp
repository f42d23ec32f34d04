// Writers, removers and the dispatch by location string, against the real
// registry, Startup folders and win.ini of the test prefix.
#include "base/handles.h"
#include "base/test_seams.h"
#include "base/text.h"
#include "dialogs/program_groups.h"
#include "entries/catalogue.h"
#include "entries/entry_identity.h"
#include "entries/location_dispatch.h"
#include "entries/location_removers.h"
#include "entries/location_writers.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "entries/winini_reader.h"
#include "entries/winini_value.h"

#include "support/files.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>

using kv::LowerAscii;
using kv::OutcomeKind;
using kvtest::ReadString;
using kvtest::ValueExists;

namespace {

const std::string kHkcuRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kHklmRunOnceEx = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx";

std::string WinIni(const std::string& parameter) {
    return kv::ReadWinIniValue(parameter);
}
void SetWinIni(const std::string& parameter, const std::string& value) {
    ASSERT_TRUE(kv::WriteWinIniValue(parameter, value));
}

class LocationChange : public kvtest::StartupRegistryTest {
  protected:
    void TearDown() override {
        kv::SetRegistryWritesBlockedForTests(false);
        kvtest::StartupRegistryTest::TearDown();
    }
};

TEST_F(LocationChange, RegistryValueWrittenAndRemoved) {
    kv::LocationOutcome outcome =
        kv::AddRegistryValue("HKCU", kv::kRunKey, "Tool", "C:\\Program Files\\t.exe", "-min");
    EXPECT_EQ(OutcomeKind::Created, outcome.kind);
    EXPECT_EQ("Tool", outcome.name);
    // A program path with a blank is quoted, so that no "C:\Program.exe" can
    // start in its place.
    EXPECT_EQ("\"C:\\Program Files\\t.exe\" -min",
              ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Tool"));
    kv::AddRegistryValue("HKLM", kv::kRunServicesOnceKey, "Bare", "C:\\b.exe", "");
    EXPECT_EQ("C:\\b.exe", ReadString(HKEY_LOCAL_MACHINE, kv::kRunServicesOnceKey, "Bare"));

    // Removal by the location string, whatever its letter case.
    outcome = kv::RemoveEntry("Tool", "ignored",
                              "hkcu\\SOFTWARE\\microsoft\\Windows\\currentversion\\RUN");
    EXPECT_EQ(OutcomeKind::Removed, outcome.kind);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Tool"));
    // A value that is gone, or a subkey that does not exist, is a failure.
    EXPECT_EQ(OutcomeKind::NotRemoved, kv::RemoveEntry("Tool", "", kHkcuRun).kind);
    EXPECT_EQ(OutcomeKind::NotRemoved, kv::RemoveEntry("X", "", kHkcuRun + "\\NoSuchKey").kind);
    // A key that is no startup location is refused, whatever it holds.
    kvtest::SetValue(HKEY_CURRENT_USER, "Software\\KelvorinTest", "Keep", "k");
    const kv::LocationOutcome refused = kv::RemoveEntry("Keep", "", "HKCU\\Software\\KelvorinTest");
    EXPECT_EQ(OutcomeKind::UnknownLocation, refused.kind);
    EXPECT_EQ("HKCU\\Software\\KelvorinTest", refused.detail);
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "Software\\KelvorinTest", "Keep"));
    kvtest::DeleteKeyTree(HKEY_CURRENT_USER, "Software\\KelvorinTest");
}

TEST_F(LocationChange, UnnamedValueAndBlockedWrites) {
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "", "default.exe");
    EXPECT_EQ(OutcomeKind::Removed, kv::RemoveEntry("", "default.exe", kHkcuRun).kind);
    EXPECT_EQ("", ReadString(HKEY_CURRENT_USER, kv::kRunKey, ""));

    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Kept", "k.exe");
    kv::SetRegistryWritesBlockedForTests(true);
    kv::LocationOutcome outcome = kv::WriteEntry("New", "n.exe", kHkcuRun);
    EXPECT_EQ(OutcomeKind::NotCreated, outcome.kind);
    EXPECT_EQ(kv::OutcomeBox::CantCreateValue, outcome.box);
    EXPECT_EQ(OutcomeKind::NotRemoved, kv::RemoveEntry("Kept", "k.exe", kHkcuRun).kind);
    kv::SetRegistryWritesBlockedForTests(false);
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Kept"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "New"));
}

TEST_F(LocationChange, RunOnceExSectionsAndSubkeysAreWrittenBackWhereTheyWere) {
    EXPECT_EQ(OutcomeKind::Created,
              kv::WriteEntry("1", "||notepad.exe", kHklmRunOnceEx + "\\NewSection").kind);
    const std::string section = std::string(kv::kRunOnceExKey) + "\\NewSection";
    EXPECT_EQ("||notepad.exe", ReadString(HKEY_LOCAL_MACHINE, section, "1"));
    EXPECT_EQ(OutcomeKind::Removed, kv::RemoveEntry("1", "", kHklmRunOnceEx + "\\NewSection").kind);
    EXPECT_TRUE(kvtest::KeyExists(HKEY_LOCAL_MACHINE, section)); // the section itself stays

    // A subkey of Run: the value goes back into that subkey, not the Run key.
    const std::string location = kHkcuRun + "\\Vendor";
    EXPECT_EQ(OutcomeKind::Created, kv::WriteEntry("Helper", "h.exe /x", location).kind);
    EXPECT_EQ("h.exe /x",
              ReadString(HKEY_CURRENT_USER, std::string(kv::kRunKey) + "\\Vendor", "Helper"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Helper"));
}

TEST_F(LocationChange, StartupFolderShortcuts) {
    const std::string folder = kv::GetStartupFolderPath(0);
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder + "\\Tool.lnk", kv::ShortcutFilePath(folder, "Tool"));
    EXPECT_EQ(folder + "\\Tool.LNK", kv::ShortcutFilePath(folder, "Tool.LNK"));
    EXPECT_EQ(folder + "\\Old.pif", kv::ShortcutFilePath(folder, "Old.pif"));
    EXPECT_EQ(folder + "\\Tool 2.5.lnk", kv::ShortcutFilePath(folder, "Tool 2.5"));

    // Written back through the dispatch: a link to the program with its arguments.
    const std::string command = "C:\\windows\\notepad.exe C:\\readme.txt";
    kv::LocationOutcome outcome = kv::WriteEntry("Notes.lnk", command, folder);
    EXPECT_EQ(OutcomeKind::Created, outcome.kind);
    ASSERT_TRUE(kvtest::FileExists(folder + "\\Notes.lnk"));
    EXPECT_EQ(OutcomeKind::UnknownLocation,
              kv::WriteEntry("x", "x.exe", "C:\\Some\\Other\\Folder").kind);

    // A file held open without sharing cannot be deleted.
    HANDLE held = CreateFileA((folder + "\\Notes.lnk").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    EXPECT_EQ(OutcomeKind::NotRemoved, kv::RemoveEntry("Notes.lnk", command, folder).kind);
    CloseHandle(held);
    EXPECT_EQ(OutcomeKind::Removed, kv::RemoveEntry("Notes.lnk", command, folder).kind);
    EXPECT_FALSE(kvtest::FileExists(folder + "\\Notes.lnk"));

    // Nothing outside the Startup folders is ever deleted or created, whatever
    // a stored record names.
    kvtest::TempFolder elsewhere{"outside"};
    kvtest::MakeFile(elsewhere / "canary.txt", "keep");
    EXPECT_EQ(OutcomeKind::UnknownLocation,
              kv::RemoveEntry("canary.txt", "", elsewhere.path()).kind);
    const std::string climb =
        "..\\..\\..\\..\\..\\..\\..\\..\\" + elsewhere.path().substr(3) + "\\canary.txt";
    EXPECT_EQ(OutcomeKind::BadFileName, kv::RemoveEntry(climb, "", folder).kind);
    EXPECT_EQ(OutcomeKind::BadFileName, kv::WriteEntry("..\\x.lnk", "x.exe", folder).kind);
    EXPECT_EQ(OutcomeKind::UnknownLocation, kv::WriteEntry("made", "m.exe", elsewhere.path()).kind);
    EXPECT_EQ("keep", kvtest::ReadFileText(elsewhere / "canary.txt"));
    EXPECT_FALSE(kvtest::FileExists(elsewhere / "made.lnk"));
}

// Only entries that Windows starts at every logon from a Run key or a
// Startup folder may wait for a delayed start.
TEST(LocationClassifier, OnlyRunKeysAndStartupFoldersMayBeDelayed) {
    const std::string user = "C:\\users\\u\\Start Menu\\Programs\\StartUp";
    const std::string all = "C:\\ProgramData\\Start Menu\\Programs\\StartUp";
    const std::string wow = "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";
    const struct {
        std::string location;
        bool delayed;
    } cases[] = {
        {kHkcuRun, true},
        {"hklm\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RUN", true},
        {wow + "Run", true},
        {user, true},
        {LowerAscii(all), true},
        {"HKCU\\" + std::string(kv::kRunOnceKey), false},
        {"HKLM\\" + std::string(kv::kRunServicesKey), false},
        {"HKLM\\" + std::string(kv::kRunServicesOnceKey), false},
        {kHklmRunOnceEx + "\\Step", false},
        {wow + "RunOnce", false},
        {"HKCU\\" + std::string(kv::kPolicyRunKey), false},
        {"HKLM\\" + std::string(kv::kPolicyRunKey), false},
        {kHkcuRun + "\\Vendor", false},
        {kv::kWinIniRunLocation, false},
        {kv::ScheduledTaskLocationString("\\"), false},
        {"C:\\windows", false},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(test.delayed, kv::MayBeDelayed(kv::ClassifyLocationIn(test.location, user, all)))
            << test.location;
    }
}

// Only the catalogue's locations are written to or removed from: a stored
// location string (disable.ini, a list file) that names anything else, or a
// file name that leaves its folder, is refused.
TEST(LocationClassifier, NamesOnlyTheCatalogue) {
    const std::string user = "C:\\users\\u\\Start Menu\\Programs\\StartUp";
    const std::string all = "C:\\ProgramData\\Start Menu\\Programs\\StartUp";
    const auto kind = [&](const std::string& location) {
        return kv::ClassifyLocationIn(location, user, all).kind;
    };
    using kv::LocationKind;
    EXPECT_EQ(LocationKind::RegistryKey,
              kind("hkcu\\SOFTWARE\\microsoft\\windows\\currentversion\\run"));
    EXPECT_EQ(LocationKind::RegistryKey, kind("HKLM\\" + std::string(kv::kRunServicesOnceKey)));
    const kv::LocationClass subkey = kv::ClassifyLocationIn(kHkcuRun + "\\Vendor", user, all);
    EXPECT_EQ(LocationKind::RegistrySubkey, subkey.kind);
    EXPECT_EQ("HKCU", subkey.root);
    EXPECT_EQ(std::string(kv::kRunKey) + "\\Vendor", subkey.keyPath);
    const kv::LocationClass section =
        kv::ClassifyLocationIn(LowerAscii(kHklmRunOnceEx) + "\\MySection", user, all);
    EXPECT_EQ(LocationKind::RunOnceExSection, section.kind);
    EXPECT_EQ("MySection", section.subkey);
    // The 32-bit view's keys, named as the 64-bit view names them.
    const std::string wow = "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";
    EXPECT_EQ(LocationKind::RegistryKey, kind(wow + "Run"));
    EXPECT_EQ(LocationKind::RegistrySubkey, kind(wow + "RunOnce\\Vendor"));
    const kv::LocationClass section32 = kv::ClassifyLocationIn(wow + "RunOnceEx\\Step", user, all);
    EXPECT_EQ(LocationKind::RunOnceExSection, section32.kind);
    EXPECT_EQ(std::string(kv::kRunOnceEx32Key) + "\\Step", section32.keyPath);
    EXPECT_EQ(LocationKind::RegistryKey,
              kind("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run"));
    EXPECT_EQ(LocationKind::WinIni, kind("SECTION: [WINDOWS]; PARAMETER: LOAD"));
    const kv::LocationClass folder = kv::ClassifyLocationIn(LowerAscii(all), user, all);
    EXPECT_EQ(LocationKind::StartupFolder, folder.kind);
    EXPECT_EQ(all, folder.folder);
    EXPECT_EQ(1, folder.folderSelector);

    for (const std::string& other :
         {std::string("C:\\windows"), std::string("HKCU\\Software\\Microsoft\\Windows NT"),
          kHkcuRun + "\\a\\b", kHklmRunOnceEx, kHklmRunOnceEx + "\\", kHkcuRun + "Extra",
          std::string("HKCU\\") + kv::kRunServicesKey, std::string("hkcu"), user + "\\Sub",
          std::string("HKCU\\") + kv::kRun32Key,
          std::string("HKLM\\") + kv::kPolicyRunKey + "\\Sub",
          std::string("section: [windows]; parameter: shell"), std::string()}) {
        EXPECT_EQ(LocationKind::Unknown, kind(other)) << other;
    }
    EXPECT_EQ(LocationKind::Unknown, kv::ClassifyLocationIn("", "", "").kind);

    EXPECT_TRUE(kv::IsPlainFileName("Notes.lnk"));
    EXPECT_TRUE(kv::IsPlainFileName("x."));
    for (const char* name : {"", ".", "..", " .. ", "..\\x.exe", "a/b", "C:x", "\\x"}) {
        EXPECT_FALSE(kv::IsPlainFileName(name)) << name;
    }
}

// A task's location names its place: a packaged app's state key (a family
// and a task id, in any letter case) or a scheduler folder. Anything more or
// less names nothing, so no task is ever switched on a guess.
TEST(LocationClassifier, TasksByTheirPlaces) {
    const std::string state = "HKCU\\" + std::string(kv::kAppModelStateKey) + "\\";
    struct Case {
        std::string location;
        kv::LocationKind kind;
        std::string family, taskId, folder;
    };
    using kv::LocationKind;
    const Case cases[] = {
        {kv::PackagedTaskLocationString("App_8wekyb3d8bbwe", "AppStartup"),
         LocationKind::PackagedTask, "App_8wekyb3d8bbwe", "AppStartup", ""},
        {LowerAscii(state) + "Fam_1\\Task", LocationKind::PackagedTask, "Fam_1", "Task", ""},
        {state + "Fam_1", LocationKind::Unknown, "", "", ""},
        {state + "Fam_1\\", LocationKind::Unknown, "", "", ""},
        {state + "Fam_1\\Task\\More", LocationKind::Unknown, "", "", ""},
        {state + "\\Task", LocationKind::Unknown, "", "", ""},
        {kv::ScheduledTaskLocationString("\\"), LocationKind::ScheduledTask, "", "", "\\"},
        {"task scheduler: \\Vendor\\Tools", LocationKind::ScheduledTask, "", "", "\\Vendor\\Tools"},
        {"Task Scheduler: ", LocationKind::Unknown, "", "", ""},
        {"Task Scheduler: Vendor", LocationKind::Unknown, "", "", ""},
        {"Task Scheduler: \\Vendor\\", LocationKind::Unknown, "", "", ""},
        {"Task Scheduler: \\\\Vendor", LocationKind::Unknown, "", "", ""},
    };
    for (const Case& c : cases) {
        const kv::LocationClass place = kv::ClassifyLocationIn(c.location, "", "");
        EXPECT_EQ(c.kind, place.kind) << c.location;
        EXPECT_EQ(c.kind != LocationKind::Unknown, kv::IsTaskLocation(c.location)) << c.location;
        EXPECT_EQ(c.family, place.family) << c.location;
        EXPECT_EQ(c.taskId, place.taskId) << c.location;
        EXPECT_EQ(c.folder, place.taskFolder) << c.location;
    }
    // Every writer and remover refuses a task before touching anything.
    const kv::LocationOutcome removed =
        kv::RemoveEntry("Task", "x.exe", kv::ScheduledTaskLocationString("\\"));
    const kv::LocationOutcome written =
        kv::WriteEntry("Task", "x.exe", kv::PackagedTaskLocationString("F_1", "T"));
    EXPECT_EQ(kv::OutcomeKind::OnlySwitched, removed.kind);
    EXPECT_EQ(kv::OutcomeKind::OnlySwitched, written.kind);
}

// The program dialog's group numbers and the location strings they stand for,
// both ways.
TEST(LocationClassifier, GroupNumbersAndTheirLocations) {
    const std::string user = "C:\\users\\u\\Start Menu\\Programs\\StartUp";
    const std::string all = "C:\\ProgramData\\Start Menu\\Programs\\StartUp";
    const std::string keys = "\\Software\\Microsoft\\Windows\\CurrentVersion\\";
    const std::string wow = "\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";
    const std::string expected[kv::kGroupCount] = {"",
                                                   "",
                                                   all,
                                                   user,
                                                   "",
                                                   "",
                                                   "HKLM" + keys + "Run",
                                                   "HKLM" + wow + "Run",
                                                   "HKLM" + keys + "RunOnce",
                                                   "HKLM" + wow + "RunOnce",
                                                   "HKLM" + keys + "RunOnceEx\\Setup Step",
                                                   "HKLM" + wow + "RunOnceEx\\Setup Step",
                                                   "HKLM" + keys + "RunServices",
                                                   "HKLM" + keys + "RunServicesOnce",
                                                   "HKLM" + keys + "Policies\\Explorer\\Run",
                                                   "",
                                                   "HKCU" + keys + "Run",
                                                   "HKCU" + keys + "RunOnce",
                                                   "HKCU" + keys + "Policies\\Explorer\\Run",
                                                   "",
                                                   "section: [windows]; parameter: run",
                                                   "section: [windows]; parameter: load"};
    for (int group = 0; group < kv::kGroupCount; ++group) {
        const std::string location = kv::LocationForGroupIn(group, "Setup Step", user, all);
        EXPECT_EQ(expected[group], location) << group;
        if (!location.empty()) {
            std::string section;
            EXPECT_EQ(group, kv::GroupForLocationIn(kv::LowerAscii(location), user, all, section))
                << location;
        }
    }
    EXPECT_EQ("", kv::LocationForGroupIn(kv::kGroupCount, "", user, all));
    EXPECT_EQ("", kv::LocationForGroupIn(kv::kGroupCurrentUserStartup, "", "", all));

    // A section comes back in the string's own case.
    std::string section;
    EXPECT_EQ(
        kv::kGroupRunOnceEx,
        kv::GroupForLocationIn(LowerAscii(kHklmRunOnceEx) + "\\MySection", user, all, section));
    EXPECT_EQ("MySection", section);
    // A subkey of Run, and whatever is no startup location, has no group.
    for (const std::string& other : {kHkcuRun + "\\Vendor", kHklmRunOnceEx, user + "\\Sub",
                                     std::string("C:\\windows"), std::string()}) {
        section = "kept";
        EXPECT_EQ(-1, kv::GroupForLocationIn(other, user, all, section)) << other;
        EXPECT_EQ("kept", section);
    }
}

TEST_F(LocationChange, WinIniItemsAppendedAndCutOut) {
    SetWinIni("run", "");
    kvtest::TempFolder folder{"win ini"};
    const std::string program = folder / "long name.exe";
    kvtest::MakeFile(program, "MZ");
    EXPECT_EQ(OutcomeKind::Created, kv::AddWinIniItem(program, "run").kind);
    const std::string shortPath = kv::ShortPathOrSame(program);
    EXPECT_EQ(std::string::npos, shortPath.find(' ')); // one item, no blank
    EXPECT_EQ(shortPath, WinIni("run"));
    kv::AddWinIniItem("b.exe -x", "run"); // not a path: written as given
    EXPECT_EQ(shortPath + " b.exe -x", WinIni("run"));

    SetWinIni("load", "C:\\TOOLS\\APP.EXE,Mid.exe,app.exe");
    kv::LocationOutcome outcome = kv::RemoveEntry("app.exe", "app.exe", kv::kWinIniLoadLocation);
    EXPECT_EQ(OutcomeKind::Removed, outcome.kind);
    EXPECT_EQ("app.exe", outcome.name);
    EXPECT_EQ("C:\\TOOLS\\APP.EXE,Mid.exe,", WinIni("load"));
    // Not there: nothing written, nothing said.
    EXPECT_EQ(OutcomeKind::None,
              kv::RemoveEntry("zzz.exe", "zzz.exe", kv::kWinIniLoadLocation).kind);
    EXPECT_EQ("C:\\TOOLS\\APP.EXE,Mid.exe,", WinIni("load"));
}

TEST_F(LocationChange, LongWinIniLinesKeepEveryItem) {
    std::string line;
    for (int i = 0; i < 3000; ++i) {
        line += (i ? "," : "") + std::string("C:\\PROGRA~1\\APP") + std::to_string(i) + ".EXE";
    }
    SetWinIni("run", line);
    ASSERT_EQ(line, WinIni("run"));
    EXPECT_EQ(OutcomeKind::Created, kv::WriteEntry("z", "z.exe", kv::kWinIniRunLocation).kind);
    EXPECT_EQ(line + " z.exe", WinIni("run"));
    EXPECT_EQ(
        OutcomeKind::Removed,
        kv::RemoveEntry("APP1500.EXE", "C:\\PROGRA~1\\APP1500.EXE", kv::kWinIniRunLocation).kind);
    const std::string after = WinIni("run");
    EXPECT_EQ(line.size() + 6 - std::string("C:\\PROGRA~1\\APP1500.EXE,").size(), after.size());
    EXPECT_EQ(std::string::npos, after.find("APP1500.EXE"));
    EXPECT_NE(std::string::npos, after.find("APP2999.EXE z.exe"));
    SetWinIni("run", "");
}

// The line as the wide calls read it from the registry.
std::wstring WinIniWide(const std::string& parameter) {
    kv::RegKey key;
    DWORD type = REG_NONE;
    std::string bytes;
    if (!key.Open(HKEY_CURRENT_USER, kvtest::kWinIniWindowsKey, KEY_QUERY_VALUE) ||
        kv::QueryValueWide(key.get(), kv::Wide(parameter), type, bytes) != ERROR_SUCCESS) {
        return L"<missing>";
    }
    const std::wstring text = kv::WideOfBytes(bytes);
    return text.substr(0, text.find(L'\0'));
}

// Changing one item of a line leaves a neighbour the code page cannot carry
// exactly as it was, in either parameter and either place of the line.
TEST_F(LocationChange, WinIniNeighboursOutsideTheCodePageStayExact) {
    const std::wstring wide = L"C:\\\u65e5\\a.exe";
    struct Case {
        std::string parameter;
        std::wstring line;
        std::wstring removed; // the line without "b.exe"
    };
    const Case cases[] = {
        {"run", wide + L",b.exe", wide + L","},
        {"load", L"b.exe," + wide, wide},
        {"run", L"x.exe " + wide + L" b.exe,y.exe", L"x.exe " + wide + L" y.exe"},
    };
    for (const Case& test : cases) {
        const std::string location =
            test.parameter == "run" ? kv::kWinIniRunLocation : kv::kWinIniLoadLocation;
        ASSERT_TRUE(kv::WriteWinIniValueWide(test.parameter, test.line));
        ASSERT_EQ(test.line, WinIniWide(test.parameter));
        EXPECT_EQ(OutcomeKind::Removed, kv::RemoveEntry("b.exe", "b.exe", location).kind);
        EXPECT_TRUE(test.removed == WinIniWide(test.parameter)) << test.parameter;
        EXPECT_EQ(OutcomeKind::Created, kv::WriteEntry("c.exe", "c.exe", location).kind);
        EXPECT_TRUE(test.removed + L" c.exe" == WinIniWide(test.parameter)) << test.parameter;
        SetWinIni(test.parameter, "");
    }
}

// An older record of a value with an exact name keeps only its texts: the
// value comes back under that name as a string of its command.
TEST_F(LocationChange, AnExactNameWithoutAKeptValueComesBackAsAString) {
    kv::StartupEntry entry;
    entry.exactName = L"Tool \u65e5";
    entry.title = "Tool ?";
    entry.command = "tool.exe /q";
    entry.location = kHkcuRun;
    EXPECT_EQ(OutcomeKind::Created, kv::WriteKeptEntry(entry).kind);
    kv::RegKey key;
    DWORD type = REG_NONE;
    std::string bytes;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, kv::kRunKey, KEY_QUERY_VALUE));
    ASSERT_EQ(ERROR_SUCCESS, kv::QueryValueWide(key.get(), entry.exactName, type, bytes));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(kv::BytesOfWide(L"tool.exe /q" + std::wstring(1, L'\0')), bytes);
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Tool ?"));
}

} // namespace
