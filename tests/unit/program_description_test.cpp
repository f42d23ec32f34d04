#include "shell/frame/program_description.h"

#include "support/files.h"
#include "support/text.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

TEST(ProgramDescription, FromTheVersionResource) {
    // Test programs carry the program's own version resource (Russian, 1251).
    EXPECT_EQ(kvtest::Ansi("Kelvorin - менеджер автозагрузки"), kv::ProgramDescription(OwnPath()));
}

TEST(ProgramDescription, EmptyWithoutOne) {
    kvtest::TempFolder folder{"kvdesc"};
    kvtest::MakeFile(folder / "plain.exe", "not a program");
    EXPECT_EQ("", kv::ProgramDescription(folder / "plain.exe"));
    EXPECT_EQ("", kv::ProgramDescription(folder / "missing.exe"));
    EXPECT_EQ("", kv::ProgramDescription(""));
}

} // namespace
