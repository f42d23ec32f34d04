#include "entries/catalogue.h"
#include "entries/command_path.h"
#include "entries/winini_reader.h"

#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>

using kv::ReadWinIniValue;
using kv::ScanWinIniParameter;
using kv::SplitWinIniItems;
using Items = std::vector<std::string>;

namespace {

const std::string kRunLocation = "section: [windows]; parameter: run";
const std::string kLoadLocation = "section: [windows]; parameter: load";

class WinIni : public kvtest::StartupRegistryTest {
  protected:
    // Written the way the system keeps the section on NT: in the registry.
    static void SetParameter(const std::string& name, const std::string& value) {
        kvtest::SetValue(HKEY_CURRENT_USER, kvtest::kWinIniWindowsKey, name, value);
    }
};

TEST(WinIniItems, SplitAtBlanksAndCommas) {
    EXPECT_EQ((Items{"a.exe", "b.exe", "c.exe"}), SplitWinIniItems("a.exe b.exe,c.exe"));
    EXPECT_EQ((Items{"a", "b", "c", "d"}), SplitWinIniItems("a,b c , ,d"));
    // Runs of separators are one, and the ends do not count.
    EXPECT_EQ((Items{"x", "y"}), SplitWinIniItems("  ,, x  ,,, y ,"));
    EXPECT_EQ((Items{"C:\\WINDOWS\\TASKMON.EXE"}), SplitWinIniItems("C:\\WINDOWS\\TASKMON.EXE"));
    EXPECT_TRUE(SplitWinIniItems("").empty());
    EXPECT_TRUE(SplitWinIniItems(" , ,,  ").empty());
}

TEST_F(WinIni, ReadsTheValueThroughTheProfileFunctions) {
    SetParameter("run", "a.exe b.exe");
    EXPECT_EQ("a.exe b.exe", ReadWinIniValue("run"));
    EXPECT_EQ("", ReadWinIniValue("load"));
    ASSERT_TRUE(WriteProfileStringA("windows", "load", "tool.exe,other.exe"));
    EXPECT_EQ("tool.exe,other.exe", ReadWinIniValue("load"));
    EXPECT_EQ("tool.exe,other.exe",
              kvtest::ReadString(HKEY_CURRENT_USER, kvtest::kWinIniWindowsKey, "load"));
}

TEST_F(WinIni, ValuesOfAnyLengthAreReadWhole) {
    for (std::size_t length : {4094u, 4095u, 4096u, 4097u, 8191u, 100000u}) {
        std::string value;
        for (int i = 0; value.size() < length; ++i) {
            value += "p" + std::to_string(i) + ".exe,";
        }
        value.resize(length);
        value.back() = 'z';
        SetParameter("run", value);
        EXPECT_EQ(value, ReadWinIniValue("run")) << length;
    }
}

TEST_F(WinIni, OneRowPerItemInLineOrder) {
    const std::string notepad = kv::WindowsDirectory() + "\\notepad.exe";
    SetParameter("run", notepad + " regedit.exe,missing.exe  sub\\tool.exe");
    const std::vector<kv::StartupEntry> rows = ScanWinIniParameter("run");
    ASSERT_EQ(4u, rows.size());
    for (const kv::StartupEntry& row : rows) {
        EXPECT_EQ(kRunLocation, row.location);
        EXPECT_EQ(kv::kIconLookup, row.icon);
    }
    EXPECT_EQ("notepad.exe", rows[0].title);
    EXPECT_EQ(notepad, rows[0].command);
    EXPECT_EQ(notepad, rows[0].iconPath);
    // A bare name found in the Windows directory keeps its bare name as
    // title; its icon comes from the file found there.
    EXPECT_EQ("regedit.exe", rows[1].title);
    EXPECT_EQ("regedit.exe", rows[1].command);
    EXPECT_EQ(kv::WindowsDirectory() + "\\regedit.exe", rows[1].iconPath);
    // Nothing found: the item names itself.
    EXPECT_EQ("missing.exe", rows[2].title);
    EXPECT_EQ("missing.exe", rows[2].iconPath);
    EXPECT_EQ("tool.exe", rows[3].title);
    EXPECT_EQ("sub\\tool.exe", rows[3].command);
}

TEST_F(WinIni, EmptyAndSeparatorOnlyValuesGiveNoRows) {
    EXPECT_TRUE(ScanWinIniParameter("run").empty()); // missing
    SetParameter("run", "");
    SetParameter("load", " ,, , ");
    EXPECT_TRUE(ScanWinIniParameter("run").empty());
    EXPECT_TRUE(ScanWinIniParameter("load").empty());
}

TEST_F(WinIni, TheSameProgramInRunAndLoadGivesTwoRows) {
    SetParameter("run", "notepad.exe");
    SetParameter("load", "notepad.exe");
    const std::vector<kv::StartupEntry> run = ScanWinIniParameter("run");
    const std::vector<kv::StartupEntry> load = ScanWinIniParameter("load");
    ASSERT_EQ(1u, run.size());
    ASSERT_EQ(1u, load.size());
    EXPECT_EQ(kRunLocation, run[0].location);
    EXPECT_EQ(kLoadLocation, load[0].location);
    EXPECT_EQ(run[0].command, load[0].command);
    EXPECT_EQ(kv::WinIniLocationString("load"), kLoadLocation);
}

TEST_F(WinIni, AHundredThousandCharacterLineGivesEveryItem) {
    std::string value;
    int count = 0;
    while (value.size() < 100000) {
        value += (count % 2 == 0 ? "C:\\apps\\prog" : "tool") + std::to_string(count) + ".exe ";
        ++count;
    }
    SetParameter("load", value);
    const std::vector<kv::StartupEntry> rows = ScanWinIniParameter("load");
    ASSERT_EQ(static_cast<std::size_t>(count), rows.size());
    EXPECT_EQ("prog0.exe", rows.front().title);
    EXPECT_EQ("C:\\apps\\prog0.exe", rows.front().command);
    EXPECT_EQ("tool" + std::to_string(count - 1) + ".exe", rows.back().command);
}

} // namespace
