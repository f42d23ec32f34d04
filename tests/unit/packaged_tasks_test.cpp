// Packaged apps' startup tasks: manifests read with the XML reader, the rows
// a scan makes of installed packages, and the switch of one task, on real
// packages made in the registry and on disk.
#include "base/handles.h"
#include "base/test_seams.h"
#include "entries/app_manifest.h"
#include "entries/catalogue.h"
#include "entries/packaged_tasks.h"
#include "entries/task_switch.h"

#include "support/package_fixture.h"
#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

using kvtest::ManifestText;
using kvtest::Task;
using kvtest::TaskSpec;

namespace {

const std::wstring kFullName = L"Vendor.App_1.2.3.0_x64__pub0123456789";
const std::string kFamily = "Vendor.App_pub0123456789";

kv::LocationClass Place(const std::string& family, const std::string& taskId) {
    return kv::ClassifyLocationIn(kv::PackagedTaskLocationString(family, taskId), "", "");
}

const kv::StartupEntry* FindLocation(const std::vector<kv::StartupEntry>& rows,
                                     const std::string& taskId) {
    for (const kv::StartupEntry& row : rows) {
        if (row.location == kv::PackagedTaskLocationString(kFamily, taskId)) {
            return &row;
        }
    }
    return nullptr;
}

// The manifest reader on its own: elements matched by namespace and local
// name whatever their prefix, and anything not well formed refused whole.
TEST(AppManifestParse, ReadsStartupTasksByNamespaceNotPrefix) {
    const std::string other =
        "<Package xmlns='http://schemas.microsoft.com/appx/manifest/foundation/windows10' "
        "xmlns:d='http://schemas.microsoft.com/appx/manifest/desktop/windows10' "
        "xmlns:x='http://example.com/other' "
        "xmlns:p='http://schemas.microsoft.com/appx/manifest/uap/windows10/10'>"
        "<Identity Name='N'/><Applications><Application Executable='Main.exe'><Extensions>"
        "<d:Extension Category='windows.startupTask' p:Parameters='-q'>"
        "<d:StartupTask TaskId='ByOtherPrefix' Enabled='true' DisplayName='D'/></d:Extension>"
        "<x:Extension Category='windows.startupTask' Executable='x.exe'>"
        "<x:StartupTask TaskId='OtherNamespace' Enabled='true'/></x:Extension>"
        "<d:Extension Category='windows.protocol' Executable='y.exe'>"
        "<d:StartupTask TaskId='OtherCategory' Enabled='true'/></d:Extension>"
        "</Extensions></Application></Applications></Package>";
    const kv::AppManifest manifest = kv::ParseAppManifest(other);
    ASSERT_TRUE(manifest.readable);
    EXPECT_EQ(L"N", manifest.identityName);
    ASSERT_EQ(1u, manifest.tasks.size());
    EXPECT_EQ(L"ByOtherPrefix", manifest.tasks[0].taskId);
    EXPECT_EQ(L"Main.exe", manifest.tasks[0].executable); // the application's, none of its own
    EXPECT_EQ(L"-q", manifest.tasks[0].parameters);
    EXPECT_TRUE(manifest.tasks[0].enabled);

    const std::string good = ManifestText("N", {Task("T")});
    const std::string refused[] = {
        good.substr(0, good.find("</Applications>")), // cut short
        "<a><b></a></b>",                             // crossed elements
        "<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>",   // a document type
        "not xml at all",
        std::string(kv::kManifestSizeCap + 1, ' ') + good, // too large
    };
    for (const std::string& bytes : refused) {
        EXPECT_FALSE(kv::ParseAppManifest(bytes).readable) << bytes.substr(0, 60);
    }
}

class PackagedTaskScan : public kvtest::PackagesTest {};

// Every State value a task may have, and none: the box, Windows' switch and
// the policy flag of its row, and what reading the task now says.
TEST_F(PackagedTaskScan, StateDecidesTheRowsSwitch) {
    struct Case {
        const char* taskId;
        const char* enabled; // the manifest's
        int state;           // -1 no value, -2 a REG_SZ "2", else a REG_DWORD
        bool on;
        bool byPolicy;
    };
    const Case cases[] = {
        {"S0", "true", 0, false, false},        {"S1", "true", 1, false, false},
        {"S2", "false", 2, true, false},        {"S3", "true", 3, false, true},
        {"S4", "false", 4, true, true},         {"NoneOn", "true", -1, true, false},
        {"NoneOff", "false", -1, false, false}, {"Text", "false", -2, false, false},
        {"OutOfRange", "true", 7, true, false},
    };
    std::vector<TaskSpec> tasks;
    for (const Case& c : cases) {
        TaskSpec task;
        task.taskId = c.taskId;
        task.enabled = c.enabled;
        tasks.push_back(task);
        if (c.state >= 0) {
            kvtest::SetTaskState(kFamily, c.taskId, static_cast<DWORD>(c.state));
        } else if (c.state == -2) {
            kvtest::SetTaskStateValue(kFamily, c.taskId, REG_SZ, std::string("2\0", 2));
        }
    }
    Install(kFullName, ManifestText("Vendor.App", tasks));
    const kv::PackagedTaskScan scan = kv::ScanPackagedTasks();
    EXPECT_TRUE(scan.unreadable.empty());
    ASSERT_EQ(sizeof(cases) / sizeof(cases[0]), scan.rows.size());
    for (const Case& c : cases) {
        const kv::StartupEntry* row = FindLocation(scan.rows, c.taskId);
        ASSERT_NE(nullptr, row) << c.taskId;
        EXPECT_TRUE(row->checked) << c.taskId;
        EXPECT_EQ(!c.on, row->switchedOff) << c.taskId;
        EXPECT_EQ(c.byPolicy, row->byPolicy) << c.taskId;
        const kv::TaskStateNow now = kv::ReadPackagedTaskNow(Place(kFamily, c.taskId));
        EXPECT_TRUE(now.exists) << c.taskId;
        EXPECT_EQ(c.on, now.on) << c.taskId;
        EXPECT_EQ(c.byPolicy, now.byPolicy) << c.taskId;
    }
}

// Each kind of manifest: its rows (title, command) or its package named as
// unreadable. An ms-resource name that the platform cannot resolve (there
// is no resource file) shows the task id.
TEST_F(PackagedTaskScan, ManifestsGiveRowsOrAreUnreadable) {
    const TaskSpec desktop = Task("Desk", "true", "Desk Title", "bin\\Tool.exe", "--tray");
    const TaskSpec uap5 =
        Task("Five", "false", "ms-resource:AppTitle", "With Blank/Run.exe", "", "uap5");
    const TaskSpec second = Task("Second", "true", "Second Title", "Two.exe");
    const std::wstring several = Install(L"Vendor.App_1.2.3.0_x64__pub0123456789",
                                         ManifestText("Vendor.App", {desktop, uap5, second}));
    Install(L"Empty.App_1.0.0.0_neutral__pubE", ManifestText("Empty.App", {}));
    Install(L"Broken.App_1.0.0.0_x64__pubB", "<Package><Identity></Package>");
    Install(L"Huge.App_1.0.0.0_x64__pubH", ManifestText("Huge.App", {Task("H")}) + "<!--" +
                                               std::string(kv::kManifestSizeCap, 'x') + "-->");
    Install(L"Missing.App_1.0.0.0_x64__pubM", L"Missing.App", nullptr);

    const kv::PackagedTaskScan scan = kv::ScanPackagedTasks();
    EXPECT_EQ(
        (std::vector<std::string>{"Broken.App_1.0.0.0_x64__pubB", "Huge.App_1.0.0.0_x64__pubH",
                                  "Missing.App_1.0.0.0_x64__pubM"}),
        [&] {
            std::vector<std::string> sorted = scan.unreadable;
            std::sort(sorted.begin(), sorted.end());
            return sorted;
        }());
    ASSERT_EQ(3u, scan.rows.size());
    const std::string folder = kv::Narrow(several);
    struct Expected {
        const char* taskId;
        std::string title;
        std::string command;
        bool on;
    };
    const Expected expected[] = {
        {"Desk", "Desk Title", folder + "\\bin\\Tool.exe --tray", true},
        {"Five", "Five", "\"" + folder + "\\With Blank\\Run.exe\"", false},
        {"Second", "Second Title", folder + "\\Two.exe", true},
    };
    for (const Expected& e : expected) {
        const kv::StartupEntry* row = FindLocation(scan.rows, e.taskId);
        ASSERT_NE(nullptr, row) << e.taskId;
        EXPECT_EQ(e.title, row->title);
        EXPECT_EQ(e.command, row->command);
        EXPECT_EQ(!e.on, row->switchedOff) << e.taskId;
        EXPECT_EQ(kv::kIconOfCommand, row->icon);
    }
}

// A folder whose name the code page cannot carry: the manifest is still
// read through the wide calls, and the task is found and switched by its
// location.
TEST_F(PackagedTaskScan, FolderNameOutsideTheCodePage) {
    const std::string manifest = ManifestText("Vendor.App", {Task("Greek")});
    const std::wstring folder =
        Install(kFullName, L"\u03a0\u03b1\u03ba\u03ad\u03c4\u03bf", &manifest);
    const kv::PackagedTaskScan scan = kv::ScanPackagedTasks();
    EXPECT_TRUE(scan.unreadable.empty());
    ASSERT_EQ(1u, scan.rows.size());
    EXPECT_EQ(kv::Narrow(folder + L"\\App.exe"), scan.rows[0].command);
    EXPECT_EQ(kv::TaskSwitchResult::Done,
              kv::SwitchPackagedTask(Place(kFamily, "Greek"), false).result);
    EXPECT_FALSE(kv::ReadPackagedTaskNow(Place(kFamily, "Greek")).on);
}

// A manifest is parsed again when its file changed, and not while its time
// of last write and size stay: other bytes of the same size and time keep
// the rows of the last parse.
TEST_F(PackagedTaskScan, ManifestParsedAgainOnlyWhenItsFileChanged) {
    const std::wstring path =
        Install(kFullName, ManifestText("Vendor.App", {Task("Old1")})) + L"\\AppxManifest.xml";
    ASSERT_EQ(1u, kv::ScanPackagedTasks().rows.size());
    EXPECT_NE(nullptr, FindLocation(kv::ScanPackagedTasks().rows, "Old1"));

    FILETIME written = {};
    {
        const kv::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(GetFileTime(file.get(), nullptr, nullptr, &written));
    }
    kvtest::WriteWideFile(path, ManifestText("Vendor.App", {Task("New1")}));
    {
        const kv::UniqueHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &written));
    }
    EXPECT_NE(nullptr, FindLocation(kv::ScanPackagedTasks().rows, "Old1"));

    kvtest::WriteWideFile(path, ManifestText("Vendor.App", {Task("New22")}));
    const kv::PackagedTaskScan changed = kv::ScanPackagedTasks();
    ASSERT_EQ(1u, changed.rows.size());
    EXPECT_NE(nullptr, FindLocation(changed.rows, "New22"));
}

class PackagedTaskSwitch : public kvtest::PackagesTest {
  protected:
    void SetUp() override {
        PackagesTest::SetUp();
        Install(kFullName, ManifestText("Vendor.App", {Task("Task")}));
    }
    std::string Key() const { return kvtest::TaskStateKey(kFamily, "Task"); }
    DWORD Dword(const char* name) const {
        DWORD value = 0;
        DWORD size = sizeof(value);
        EXPECT_EQ(ERROR_SUCCESS, RegGetValueA(HKEY_CURRENT_USER, Key().c_str(), name,
                                              RRF_RT_REG_DWORD, nullptr, &value, &size));
        return value;
    }
    DWORD State() const { return Dword("State"); }
};

// Off writes 1; on writes 2 and marks the task turned on by the user; the
// key is made when missing, and each switch is read back.
TEST_F(PackagedTaskSwitch, OffWritesOneOnWritesTwo) {
    ASSERT_FALSE(kvtest::KeyExists(HKEY_CURRENT_USER, Key()));
    EXPECT_EQ(kv::TaskSwitchResult::Done,
              kv::SwitchPackagedTask(Place(kFamily, "Task"), false).result);
    EXPECT_EQ(1u, State());
    EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, Key(), "UserEnabledStartupOnce"));
    EXPECT_FALSE(kv::ReadPackagedTaskNow(Place(kFamily, "Task")).on);

    EXPECT_EQ(kv::TaskSwitchResult::Done,
              kv::SwitchPackagedTask(Place(kFamily, "Task"), true).result);
    EXPECT_EQ(2u, State());
    EXPECT_EQ(1u, Dword("UserEnabledStartupOnce"));
    EXPECT_TRUE(kv::ReadPackagedTaskNow(Place(kFamily, "Task")).on);
}

// Refusals change nothing: a policy's switch, a task no installed package
// declares, and a user who may not write.
TEST_F(PackagedTaskSwitch, RefusalsWriteNothing) {
    for (const DWORD policy : {3u, 4u}) {
        kvtest::SetTaskState(kFamily, "Task", policy);
        for (const bool on : {false, true}) {
            EXPECT_EQ(kv::TaskSwitchResult::ByPolicy,
                      kv::SwitchPackagedTask(Place(kFamily, "Task"), on).result);
            EXPECT_EQ(policy, State());
            EXPECT_FALSE(kvtest::ValueExists(HKEY_CURRENT_USER, Key(), "UserEnabledStartupOnce"));
        }
    }
    EXPECT_EQ(kv::TaskSwitchResult::Gone,
              kv::SwitchPackagedTask(Place(kFamily, "Undeclared"), false).result);
    EXPECT_EQ(kv::TaskSwitchResult::Gone,
              kv::SwitchPackagedTask(Place("Other.App_pub9", "Task"), false).result);
    EXPECT_FALSE(kvtest::KeyExists(HKEY_CURRENT_USER, kvtest::TaskStateKey(kFamily, "Undeclared")));
    EXPECT_FALSE(
        kvtest::KeyExists(HKEY_CURRENT_USER, kvtest::TaskStateKey("Other.App_pub9", "Task")));

    kvtest::SetTaskState(kFamily, "Task", 2);
    kv::SetRegistryWritesBlockedForTests(true);
    const kv::TaskSwitchOutcome blocked = kv::SwitchPackagedTask(Place(kFamily, "Task"), false);
    kv::SetRegistryWritesBlockedForTests(false);
    EXPECT_EQ(kv::TaskSwitchResult::AccessDenied, blocked.result);
    EXPECT_EQ(ERROR_ACCESS_DENIED, blocked.code);
    EXPECT_EQ(2u, State());
}

TEST(PackageFamilyName, NameAndPublisherOfAFullName) {
    EXPECT_EQ(L"A.B_pub", kv::PackageFamilyOf(L"A.B_1.0.0.0_x64__pub"));
    EXPECT_EQ(L"A_pub", kv::PackageFamilyOf(L"A_1.0.0.0_neutral_split.scale-100_pub"));
    EXPECT_EQ(L"", kv::PackageFamilyOf(L"A_1.0.0.0_x64_pub"));
    EXPECT_EQ(L"", kv::PackageFamilyOf(L"_1.0.0.0_x64__pub"));
}

} // namespace
