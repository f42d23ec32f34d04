#include "entries/winini_edit.h"

#include <gtest/gtest.h>

using kv::AppendWinIniItem;
using kv::RemoveWinIniItemFromLine;

namespace {

std::string Removed(std::string line, const std::string& item, bool expectFound = true) {
    EXPECT_EQ(expectFound, RemoveWinIniItemFromLine(line, item)) << line << " / " << item;
    return line;
}

TEST(WinIniLine, RemovesOneWholeItemAndItsSeparator) {
    EXPECT_EQ("a.exe,c.exe", Removed("a.exe,b.exe,c.exe", "b.exe"));
    EXPECT_EQ("a.exe ", Removed("a.exe b.exe", "b.exe")); // the blank before it stays
    EXPECT_EQ("b.exe", Removed("a.exe b.exe", "a.exe"));
    EXPECT_EQ("", Removed("a.exe", "a.exe"));
    // Only the first occurrence goes.
    EXPECT_EQ("b.exe a.exe", Removed("a.exe b.exe a.exe", "a.exe"));
}

TEST(WinIniLine, KeepsTheCaseOfEveryOtherItem) {
    EXPECT_EQ("C:\\WINDOWS\\TASKMON.EXE,Other.Exe",
              Removed("C:\\WINDOWS\\TASKMON.EXE,MyApp.EXE,Other.Exe", "myapp.exe"));
}

TEST(WinIniLine, NeverCutsAPieceOutOfALongerItem) {
    // "app.exe" is the tail of another program's path, and the head of another.
    const std::string line = "C:\\tools\\app.exe app.exe.bak app.exe";
    EXPECT_EQ("C:\\tools\\app.exe app.exe.bak ", Removed(line, "app.exe"));
    EXPECT_EQ("x.exe,y.exe", Removed("x.exe,y.exe", "e", false));
    EXPECT_EQ("C:\\tools\\app.exe", Removed("C:\\tools\\app.exe", "app.exe", false));
    EXPECT_EQ("a.exe", Removed("a.exe", "", false));
}

TEST(WinIniLine, AppendsWithOneBlank) {
    EXPECT_EQ("C:\\PROGRA~1\\app.exe", AppendWinIniItem("", "C:\\PROGRA~1\\app.exe"));
    EXPECT_EQ("a.exe b.exe", AppendWinIniItem("a.exe", "b.exe"));
}

} // namespace
