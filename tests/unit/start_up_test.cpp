#include "shell/app/start_up.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <climits>
#include <string>
#include <vector>

namespace {

TEST(SavedExtent, DifferenceOfTheEdges) {
    EXPECT_EQ(800, kv::SavedExtent(100, 900));
    EXPECT_EQ(300, kv::SavedExtent(-200, 100)); // a window on a monitor left of the main one
}

TEST(SavedExtent, DefaultMarkerGivesTheDefaultSize) {
    EXPECT_EQ(CW_USEDEFAULT, kv::SavedExtent(0, CW_USEDEFAULT));
    EXPECT_EQ(CW_USEDEFAULT, kv::SavedExtent(50, CW_USEDEFAULT));
    EXPECT_EQ(CW_USEDEFAULT, kv::SavedExtent(-50, CW_USEDEFAULT));
}

TEST(SavedExtent, DifferenceBeyondTheIntegerRange) {
    EXPECT_EQ(CW_USEDEFAULT, kv::SavedExtent(INT_MIN + 1, INT_MAX));
    EXPECT_EQ(CW_USEDEFAULT, kv::SavedExtent(INT_MAX, INT_MIN + 1));
}

TEST(StartsHidden, TwoCharactersAnywhereCaseSensitive) {
    EXPECT_TRUE(kv::StartsHidden("\"C:\\Program Files\\Kelvorin\\Kelvorin.exe\" /m"));
    EXPECT_TRUE(kv::StartsHidden("Kelvorin.exe /mute"));
    EXPECT_TRUE(kv::StartsHidden("C:\\tools/mine\\Kelvorin.exe"));
    EXPECT_FALSE(kv::StartsHidden("Kelvorin.exe /M"));
    EXPECT_FALSE(kv::StartsHidden("Kelvorin.exe -m"));
    EXPECT_FALSE(kv::StartsHidden("Kelvorin.exe"));
    EXPECT_FALSE(kv::StartsHidden(""));
}

TEST(CommandLine, OnlyTheFirstArgumentIsASwitchAndTheReportTakesExactlyOneFile) {
    using kv::StartKind;
    struct Case {
        const char* line;
        StartKind kind;
        const char* file;
        bool delayedStarts = false; // "/startup" as an argument anywhere
    };
    const Case cases[] = {
        {"\"C:\\K\\Kelvorin.exe\" /report \"C:\\a b\\r.txt\" ", StartKind::Report,
         "C:\\a b\\r.txt"},
        {"Kelvorin.exe\t/REPORT  out.txt", StartKind::Report, "out.txt"},
        {"\"C:\\K\\Kelvorin.exe\"/report out.txt", StartKind::Window, ""}, // one path
        // Quotes and backslashes by the platform's rules.
        {"Kelvorin.exe /report \"C:\\dir\\\\\"", StartKind::Report, "C:\\dir\\"},
        {"Kelvorin.exe /report C:\\a\\\"b", StartKind::Report, "C:\\a\"b"},
        {"Kelvorin.exe /report \"say \"\"hi\"\"\"", StartKind::Report, "say \"hi\""},
        {"Kelvorin.exe /report C:\\x\\\\y", StartKind::Report, "C:\\x\\\\y"},
        {"Kelvorin.exe /report a\"b c\"d", StartKind::Report, "ab cd"},
        // No file, an empty one, or anything after the file.
        {"Kelvorin.exe /REPORT", StartKind::WrongUsage, ""},
        {"Kelvorin.exe /report \"\"", StartKind::WrongUsage, ""},
        {"Kelvorin.exe /report a.txt /m", StartKind::WrongUsage, ""},
        {"Kelvorin.exe /report C:\\a b.txt", StartKind::WrongUsage, ""},
        // "/report" anywhere else is no switch.
        {"C:\\tools/report\\Kelvorin.exe", StartKind::Window, ""},
        {"\"C:\\my /report x\\Kelvorin.exe\" /m", StartKind::Window, ""},
        {"Kelvorin.exe /m /report a.txt", StartKind::Window, ""},
        {"Kelvorin.exe x/report a.txt", StartKind::Window, ""},
        {"Kelvorin.exe /?", StartKind::Usage, ""},
        {"Kelvorin.exe", StartKind::Window, ""},
        {"", StartKind::Window, ""},
        // The starts of the delayed entries: "/startup" as its own argument.
        {"\"C:\\x\\Kelvorin.exe\" /m /startup", StartKind::Window, "", true},
        {"Kelvorin.exe /STARTUP", StartKind::Window, "", true},
        {"Kelvorin.exe /StartUp /m", StartKind::Window, "", true},
        {"Kelvorin.exe \"/startup\"", StartKind::Window, "", true},
        {"\"C:\\my /startup\\Kelvorin.exe\" /m", StartKind::Window, ""},
        {"C:\\x/startup Kelvorin.exe", StartKind::Window, ""},
        {"Kelvorin.exe /startups /m", StartKind::Window, ""},
        {"Kelvorin.exe x/startup", StartKind::Window, ""},
        {"Kelvorin.exe /start up", StartKind::Window, ""},
    };
    for (const Case& test : cases) {
        const kv::StartRequest request = kv::ReadStartRequest(test.line);
        EXPECT_EQ(test.kind, request.kind) << test.line;
        EXPECT_EQ(test.file, request.file) << test.line;
        EXPECT_EQ(test.delayedStarts, kv::StartsDelayedEntries(test.line)) << test.line;
    }
    EXPECT_EQ((std::vector<std::string>{"C:\\a b\\K.exe", "/m", "x y", ""}),
              kv::CommandLineArguments("\"C:\\a b\\K.exe\"  /m \"x y\" \"\""));
}

TEST(StartShowCommand, HiddenOnlyWithTrayIconAndShownOtherwise) {
    // "/m" hides only while there is an icon to bring the window back.
    EXPECT_EQ(SW_HIDE, kv::StartShowCommand("Kelvorin.exe /m", true, SW_SHOWMAXIMIZED));
    EXPECT_EQ(SW_SHOWMAXIMIZED, kv::StartShowCommand("Kelvorin.exe /m", false, SW_SHOWMAXIMIZED));
    // "/startup" starts as "/m" does.
    EXPECT_EQ(SW_HIDE, kv::StartShowCommand("Kelvorin.exe /STARTUP", true, SW_SHOWNORMAL));
    EXPECT_EQ(SW_SHOWNORMAL, kv::StartShowCommand("Kelvorin.exe /startup", false, SW_SHOWNORMAL));
    // Every saved state that shows the window is used as it is.
    for (int saved = SW_SHOWNORMAL; saved <= SW_FORCEMINIMIZE; ++saved) {
        EXPECT_EQ(saved, kv::StartShowCommand("Kelvorin.exe", true, saved)) << saved;
    }
    // Any other saved value, SW_HIDE included, shows the window normally.
    for (int saved : {SW_HIDE, -1, SW_FORCEMINIMIZE + 1, 1000}) {
        EXPECT_EQ(SW_SHOWNORMAL, kv::StartShowCommand("Kelvorin.exe", true, saved)) << saved;
        EXPECT_EQ(SW_SHOWNORMAL, kv::StartShowCommand("Kelvorin.exe /m", false, saved)) << saved;
    }
}

} // namespace
