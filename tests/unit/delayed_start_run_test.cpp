// Starting one delayed entry as Windows starts it from its location: a real
// small program that records its start, its folder and its command line.
#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/delayed_start_run.h"

#include "support/files.h"
#include "support/registry_fixture.h"
#include "support/start_records.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

const std::string kHkcuRun = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string Quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// A delayed Run value of HKCU, kept with this type and these bytes.
kv::StartupEntry RunValue(const std::string& command, unsigned long type, const std::string& bytes,
                          const std::string& location = kHkcuRun) {
    kv::StartupEntry entry;
    entry.title = "Recorder";
    entry.command = command;
    entry.location = location;
    entry.delaySeconds = 5;
    entry.kept.hasValue = true;
    entry.kept.valueType = type;
    entry.kept.valueBytes = bytes;
    return entry;
}

class DelayedStartRun : public ::testing::Test {
  protected:
    kvtest::TempFolder folder{"kvrun"};
    const std::string log = folder / "starts.log";
    const std::string recorder = kvtest::StartRecorderPath();
};

TEST_F(DelayedStartRun, RunValuesStartTheirCommandLineAsStored) {
    ASSERT_TRUE(kvtest::FileExists(recorder)) << recorder;
    SetEnvironmentVariableA("KV_RECORDER_FOLDER", folder.path().c_str());
    ASSERT_TRUE(CopyFileA(recorder.c_str(), (folder / "rec.exe").c_str(), FALSE));
    const std::string line = Quoted(recorder) + " " + Quoted(log);
    const std::string longArgument(6000, 'x');
    const std::string expandable = "\"%KV_RECORDER_FOLDER%\\rec.exe\" " + Quoted(log) + " expanded";
    struct Case {
        const char* what;
        kv::StartupEntry entry;
        std::string recorded; // the command line the program got
    };
    kv::StartupEntry plain = RunValue(line + " plain", REG_SZ, "");
    plain.kept = kv::KeptForm{}; // a REG_SZ record keeps only its command
    const Case cases[] = {
        {"text without a kept value", plain, line + " plain"},
        {"REG_SZ up to its first zero",
         RunValue(line + " sz", REG_SZ, line + " sz" + std::string("\0tail", 5)), line + " sz"},
        {"REG_EXPAND_SZ expanded", RunValue(expandable, REG_EXPAND_SZ, expandable + '\0'),
         Quoted(folder / "rec.exe") + " " + Quoted(log) + " expanded"},
        {"a long value whole",
         RunValue(line + " " + longArgument, REG_SZ, line + " " + longArgument + '\0'),
         line + " " + longArgument},
    };
    for (const Case& c : cases) {
        kvtest::RemovePath(log);
        EXPECT_EQ(0UL, kv::StartDelayedEntry(c.entry)) << c.what;
        const auto records = kvtest::WaitForStartRecords(log, 1, 10000);
        ASSERT_EQ(1U, records.size()) << c.what;
        EXPECT_EQ(c.recorded, records[0].commandLine) << c.what;
    }
}

// A value whose bytes the code page cannot carry starts with its exact text.
TEST_F(DelayedStartRun, WideValueStartsWithItsExactText) {
    const std::wstring text = kv::Wide(Quoted(recorder) + " " + Quoted(log) + " ") + L"\u263A";
    kv::StartupEntry entry = RunValue("?", REG_SZ, "");
    entry.kept.wide = true;
    entry.kept.valueBytes.assign(reinterpret_cast<const char*>(text.c_str()),
                                 (text.size() + 1) * sizeof(wchar_t));
    EXPECT_EQ(0UL, kv::StartDelayedEntry(entry));
    const auto records = kvtest::WaitForStartRecords(log, 1, 10000);
    ASSERT_EQ(1U, records.size());
    EXPECT_EQ(Quoted(recorder) + " " + Quoted(log) + " \xE2\x98\xBA", records[0].commandLine);
}

TEST_F(DelayedStartRun, WhatCannotStartGivesTheSystemsReasonAndStartsNothing) {
    const std::string startup = kvtest::CurrentUserStartupFolder();
    const std::string runOnce = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";
    const std::string line = Quoted(recorder) + " " + Quoted(log);
    kv::StartupEntry missingCopy;
    missingCopy.title = "Gone.lnk";
    missingCopy.command = line;
    missingCopy.location = startup;
    missingCopy.kept.file = folder / "Gone.lnk";
    kv::StartupEntry noCopy = missingCopy;
    noCopy.kept.file.clear();
    const std::string missing = "\"C:\\nowhere at all\\missing.exe\" " + Quoted(log);
    struct Case {
        const char* what;
        kv::StartupEntry entry;
        unsigned long error; // 0: any failure
    };
    const Case cases[] = {
        {"a missing program", RunValue(missing, REG_SZ, missing + '\0'), 0},
        {"a value that is no text", RunValue(line, REG_BINARY, line), ERROR_INVALID_DATA},
        {"a location never delayed", RunValue(line, REG_SZ, line + '\0', runOnce),
         ERROR_NOT_SUPPORTED},
        {"a kept copy gone", missingCopy, 0},
        {"no kept copy", noCopy, ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        const unsigned long error = kv::StartDelayedEntry(c.entry);
        EXPECT_NE(0UL, error) << c.what;
        if (c.error != 0) {
            EXPECT_EQ(c.error, error) << c.what;
        }
        EXPECT_FALSE(kv::SystemErrorText(error).empty()) << c.what << " " << error;
    }
    Sleep(500);
    EXPECT_TRUE(kvtest::ReadStartRecords(log).empty());
}

} // namespace
