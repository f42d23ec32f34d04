// "Kelvorin.exe /report FILE": the report of the startup set for scripts,
// without a window, also beside a running copy.
#include "entries/catalogue.h"

#include "support/files.h"
#include "support/process.h"
#include "support/registry_fixture.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

class ReportForScripts : public kvtest::StartupRegistryTest {
  protected:
    long Run(const std::string& arguments) {
        kvtest::ChildProcess child;
        EXPECT_TRUE(child.Start("\"" + program + "\" " + arguments, folder.path()));
        const long code = child.Wait(30000);
        EXPECT_EQ(nullptr, child.FindWindowOfClass("Arrow", 0));
        return code;
    }
    kvtest::TempFolder folder{"e2ereport"};
    std::string program = kvtest::CopyProgramInto(folder.path());
};

TEST_F(ReportForScripts, WritesTheSetWithoutAWindowAndBesideARunningCopy) {
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Alpha", "alpha.exe -a");
    kvtest::SetValue(HKEY_LOCAL_MACHINE, kv::kRunKey, "Zulu", "zulu.exe");
    EXPECT_EQ(0, Run("/report out.txt"));
    const std::string report = kvtest::ReadFileText(folder / "out.txt");
    // The header, then the rows in the order of a first refresh: by title,
    // descending.
    const std::string blocks = "1. Zulu\r\nzulu.exe\r\nHKLM\\" + std::string(kv::kRunKey) + "\r\n" +
                               kvtest::Ansi("Сервис включен") + "\r\n\r\n" + std::string(70, '-') +
                               "\r\n2. Alpha\r\nalpha.exe -a\r\nHKCU\\" + kv::kRunKey + "\r\n";
    EXPECT_NE(std::string::npos, report.find(std::string(70, '-') + "\r\n" + blocks)) << report;
    EXPECT_EQ(0u, report.find(kvtest::Ansi("Система: ")));
    EXPECT_FALSE(kvtest::FileExists(folder / "List Settings\\report.ini")); // nothing else written

    // Beside a running copy.
    kvtest::ChildProcess running;
    ASSERT_TRUE(running.Start("\"" + program + "\"", folder.path()));
    ASSERT_NE(nullptr, running.ShownMainWindow(20000));
    EXPECT_EQ(0, Run("/report \"" + (folder / "second.txt") + "\""));
    EXPECT_TRUE(kvtest::FileExists(folder / "second.txt"));

    // Nothing named, or a file that cannot be written: an error code and no file.
    EXPECT_EQ(2, Run("/report"));
    EXPECT_EQ(3, Run("/report \"" + (folder / "missing\\r.txt") + "\""));
    EXPECT_FALSE(kvtest::FileExists(folder / "missing"));
    PostMessageA(running.ShownMainWindow(1000), WM_CLOSE, 0, 0);
    EXPECT_EQ(0, running.Wait(20000));
}

// "/?" shows the syntax where the caller reads it; a wrong command line shows
// it too and writes nothing.
TEST_F(ReportForScripts, TheSyntaxOnTheOutputAndNothingWrittenForAWrongCommandLine) {
    for (const char* arguments : {"/?", "/report one.txt /m"}) {
        SECURITY_ATTRIBUTES inherited{sizeof(inherited), nullptr, TRUE};
        HANDLE read = nullptr;
        HANDLE write = nullptr;
        ASSERT_TRUE(CreatePipe(&read, &write, &inherited, 0));
        SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
        kvtest::ChildProcess child;
        const bool started = child.Start("\"" + program + "\" " + arguments, folder.path(), write);
        CloseHandle(write);
        std::string output;
        char buffer[4096];
        DWORD got = 0;
        while (started && ReadFile(read, buffer, sizeof(buffer), &got, nullptr) && got > 0) {
            output.append(buffer, got);
        }
        CloseHandle(read);
        EXPECT_EQ(arguments[1] == '?' ? 0 : 2, child.Wait(30000)) << arguments;
        EXPECT_NE(std::string::npos, output.find(kvtest::Ansi("  Kelvorin.exe /report ФАЙЛ\r\n")))
            << arguments;
    }
    EXPECT_FALSE(kvtest::FileExists(folder / "one.txt"));
    EXPECT_FALSE(kvtest::FileExists(folder / "List Settings"));
}

} // namespace
