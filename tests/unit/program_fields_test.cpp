// The program dialog's checks on plain fields: the first problem in the
// order the user meets them, for each kind of group.
#include "dialogs/program_fields.h"
#include "dialogs/program_groups.h"
#include "entries/catalogue.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace {

struct FieldCase {
    kv::ProgramFields fields;
    kv::FieldFacts facts;
    unsigned problem;
};

kv::ProgramFields Fields(int group, const char* title, const char* path,
                         const char* parameters = "", const char* section = "") {
    return {title, path, parameters, section, group};
}

kv::FieldFacts Facts(const std::string& folder, const std::string& item = "",
                     bool disabled = false) {
    kv::FieldFacts facts;
    facts.startupFolder = folder;
    facts.winIniItem = item;
    facts.editingDisabled = disabled;
    return facts;
}

TEST(ProgramFieldChecks, NameTheFirstProblem) {
    const std::string folder = "C:\\Start";
    const std::string longest(260 - 10 - folder.size(), 't');
    const FieldCase cases[] = {
        // Headings name no location, whatever else is there.
        {Fields(4, "T", "p.exe"), Facts(""), IDS_ERR_PICK_GROUP},
        {Fields(0, "", ""), Facts(""), IDS_ERR_PICK_GROUP},
        {Fields(99, "T", "p.exe"), Facts(""), IDS_ERR_PICK_GROUP},
        // Titled groups: the title first, then the path; blanks are text.
        {Fields(kv::kGroupHkcuRun, "", ""), Facts(""), IDS_ERR_NO_TITLE},
        {Fields(kv::kGroupHkcuRun, "T", ""), Facts(""), IDS_ERR_NO_PATH},
        {Fields(kv::kGroupHkcuRun, " ", " "), Facts(""), 0},
        // RunOnceEx: a section of one key name, up to 442 characters.
        {Fields(kv::kGroupRunOnceEx, "T", "p.exe"), Facts(""), IDS_ERR_NO_SECTION},
        {Fields(kv::kGroupRunOnceEx, "T", "p.exe", "", std::string(442, 's').c_str()), Facts(""),
         0},
        {Fields(kv::kGroupRunOnceEx, "T", "p.exe", "", std::string(443, 's').c_str()), Facts(""),
         IDS_ERR_SECTION_TOO_LONG},
        {Fields(kv::kGroupRunOnceEx, "T", "p.exe", "", "a\\b"), Facts(""),
         IDS_ERR_SECTION_BACKSLASH},
        // Startup folders: the shortcut's path within 260, a known folder,
        // and a title that is one file's name.
        {Fields(kv::kGroupCurrentUserStartup, longest.c_str(), "p.exe"), Facts(folder), 0},
        {Fields(kv::kGroupCurrentUserStartup, (longest + "t").c_str(), "p.exe"), Facts(folder),
         IDS_ERR_TITLE_TOO_LONG},
        {Fields(kv::kGroupAllUsersStartup, "T", "p.exe"), Facts(""), IDS_ERR_NO_STARTUP_FOLDER},
        {Fields(kv::kGroupAllUsersStartup, "..\\evil", "p.exe"), Facts(folder),
         IDS_ERR_TITLE_NOT_FILE},
        // win.ini: no title needed; one item; parameters only where written.
        {Fields(kv::kGroupWinIniRun, "", ""), Facts(""), IDS_ERR_NO_PATH},
        {Fields(kv::kGroupWinIniRun, "", "C:\\A B\\x.exe"), Facts("", "C:\\A B\\x.exe"),
         IDS_ERR_WININI_ITEM},
        {Fields(kv::kGroupWinIniLoad, "", "p.exe", "/b"), Facts("", "p.exe"), 0},
        {Fields(kv::kGroupWinIniLoad, "", "p.exe", "/b"), Facts("", "p.exe", true),
         IDS_ERR_WININI_PARAMS},
    };
    for (const FieldCase& c : cases) {
        SCOPED_TRACE("group " + std::to_string(c.fields.group) + ", title " + c.fields.title +
                     ", path " + c.fields.path);
        EXPECT_EQ(c.problem, kv::FirstFieldProblem(c.fields, c.facts));
    }
}

TEST(ProgramFieldChecks, TheSectionCountsOnlyForRunOnceEx) {
    kv::ProgramFields a = Fields(kv::kGroupHkcuRun, "T", "p.exe", "", "one");
    kv::ProgramFields b = Fields(kv::kGroupHkcuRun, "T", "p.exe", "", "two");
    EXPECT_TRUE(kv::SameFields(a, b));
    a.group = b.group = kv::kGroupRunOnceEx;
    EXPECT_FALSE(kv::SameFields(a, b));
    b.section = "one";
    b.parameters = " ";
    EXPECT_FALSE(kv::SameFields(a, b));
}

} // namespace
