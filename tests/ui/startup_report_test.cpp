// The startup report: its text, the printed file of the real window, and the
// fallback when the Windows folder cannot be written.
#include "base/test_seams.h"
#include "entries/catalogue.h"
#include "records/user_data_folder.h"
#include "shell/list/entry_list.h"
#include "shell/actions/startup_report.h"
#include "resource.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>

using kvtest::SetValue;

namespace {

TEST(StartupReportText, HeaderRowsAndClosingLine) {
    kv::ReportWords words;
    words.system = "S";
    words.computerLabel = "C: ";
    words.userLabel = "U: ";
    words.equals = "===";
    words.dashes = "---";
    words.generated = "G";
    words.enabled = "on";
    words.disabled = "off";
    SYSTEMTIME time{};
    time.wYear = 2003;
    time.wMonth = 3;
    time.wDay = 5;
    time.wHour = 9;
    time.wMinute = 7;
    time.wSecond = 5;
    // An empty list: the five header lines, the equals line, the closing line.
    EXPECT_EQ("S\r\nC: pc\r\nU: me\r\n===\r\n---\r\n===\r\nG 5.3.2003 9:7:5\r\n",
              kv::StartupReportText(words, "pc", "me", {}, time));
    const std::string longCommand = "x.exe " + std::string(4000, 'a');
    EXPECT_EQ("S\r\nC: \r\nU: \r\n===\r\n---\r\n"
              "1. T\r\n" +
                  longCommand +
                  "\r\nL\r\noff\r\n\r\n---\r\n"
                  "2. \r\n\r\nM\r\non\r\n\r\n---\r\n"
                  "===\r\nG 5.3.2003 9:7:5\r\n",
              kv::StartupReportText(words, "", "",
                                    {{"T", longCommand, "L", false}, {"", "", "M", true}}, time));
    // A delayed row: the enabled status with its delay.
    words.delayedHead = ", in ";
    words.delayedTail = " s";
    EXPECT_EQ("S\r\nC: \r\nU: \r\n===\r\n---\r\n"
              "1. D\r\nd.exe\r\nL\r\non, in 90 s\r\n\r\n---\r\n"
              "===\r\nG 5.3.2003 9:7:5\r\n",
              kv::StartupReportText(words, "", "", {{"D", "d.exe", "L", true, 90}}, time));

    EXPECT_EQ(static_cast<UINT>(IDS_OS_NT4), kv::SystemLineText(4, 0, VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(static_cast<UINT>(IDS_OS_95), kv::SystemLineText(4, 0, VER_PLATFORM_WIN32_WINDOWS));
    EXPECT_EQ(static_cast<UINT>(IDS_OS_XP), kv::SystemLineText(5, 1, VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(static_cast<UINT>(IDS_OS_UNKNOWN), kv::SystemLineText(5, 2, VER_PLATFORM_WIN32_NT));
    EXPECT_EQ(static_cast<UINT>(IDS_OS_UNKNOWN), kv::SystemLineText(6, 1, VER_PLATFORM_WIN32_NT));
}

class StartupReport : public kvtest::MainWindowTest {
  protected:
    void SetUp() override {
        kvtest::MainWindowTest::SetUp();
        kv::SetReportFolderForTests(windows.path());
        kv::SetReportPrinterForTests([this](const std::string& path) { printed.push_back(path); });
    }
    void TearDown() override {
        kv::SetReportFolderForTests(std::string());
        kv::SetReportPrinterForTests(nullptr);
        kvtest::MainWindowTest::TearDown();
    }
    void Print(int answer) {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin",
                        "Вы действительно хотите напечатать сейчас список автозагрузки?", answer);
        SendCommand(IDM_PRINT);
        answerer.WaitAll();
    }
    kvtest::TempFolder windows{"windir"};
    std::vector<std::string> printed;
};

TEST_F(StartupReport, TheListAsShownPrintedFromWhereItCouldBeWritten) {
    const std::string longCommand = "C:\\long.exe " + std::string(5000, 'x');
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Beta", longCommand);
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Alpha", "alpha.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Gamma", "gamma.exe");
    OpenMainWindow();
    SetBox("Alpha", false);
    ClickColumnHeader(0); // ascending by title: Alpha, Beta, Gamma

    Print(IDNO);
    EXPECT_TRUE(kvtest::FolderIsEmpty(windows.path()));
    EXPECT_TRUE(printed.empty());

    Print(IDYES);
    const std::string path = windows / "StartUp List.txt";
    ASSERT_EQ(std::vector<std::string>{path}, printed);
    const std::string report = kvtest::ReadFileText(path);
    const std::vector<kv::ReportRow> rows = {
        {"Alpha", "alpha.exe", "HKCU\\" + std::string(kv::kRunKey), false},
        {"Beta", longCommand, "HKCU\\" + std::string(kv::kRunKey), true},
        {"Gamma", "gamma.exe", "HKCU\\" + std::string(kv::kRunKey), true},
    };
    const std::string expected = kv::StartupReportNow(rows);
    // All but the time of the closing line.
    const std::string::size_type closing = expected.rfind(kvtest::Ansi("Сгенерировано"));
    ASSERT_NE(std::string::npos, closing);
    EXPECT_EQ(expected.substr(0, closing), report.substr(0, closing));
    EXPECT_NE(std::string::npos, report.find(longCommand + "\r\n"));

    // A Windows folder that cannot be written: the report goes to the user's
    // data folder and is printed from there, never an older one.
    kv::SetReportFolderForTests(windows / "no such folder");
    Print(IDYES);
    const std::string fallback = kv::UserDataFolderPath() + "\\StartUp List.txt";
    ASSERT_EQ(2u, printed.size());
    EXPECT_EQ(fallback, printed[1]);
    EXPECT_EQ(report.substr(0, closing), kvtest::ReadFileText(fallback).substr(0, closing));

    // Neither can be written (a folder has the report's name): the user is
    // told, and nothing is printed.
    kvtest::RemovePath(fallback);
    kvtest::MakeFolder(fallback);
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "", IDYES);
        answerer.Expect("Kelvorin", "", IDOK);
        SendCommand(IDM_PRINT);
        answerer.WaitAll();
        EXPECT_NE(std::string::npos,
                  answerer.Seen().at(1).text.find(kvtest::Ansi("печатать нечего")));
    }
    EXPECT_EQ(2u, printed.size());
    kvtest::RemovePath(fallback);
}

} // namespace
