// The new/edit program dialog in the real main window, driven as a user
// would drive it: adding to every kind of group, the refusals, editing
// enabled and disabled rows, several rows at once, a write that fails
// during an edit, and files dropped on the list.
#include "base/test_seams.h"
#include "dialogs/program_groups.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "entries/winini_reader.h"
#include "records/disabled_store.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/app/start_up.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/program_dialog_driver.h"
#include "support/text.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

using kvtest::Ansi;
using kvtest::DialogStep;
using kvtest::ReadString;
using kvtest::ValueExists;

namespace {

const std::string kRunOnceExInstall = std::string(kv::kRunOnceExKey) + "\\Install";

// Picks the group, types the texts given (the others stay as they are) and
// presses the button.
DialogStep Step(int group, std::optional<std::string> title = {},
                std::optional<std::string> path = {}, std::optional<std::string> parameters = {},
                std::optional<std::string> section = {}, int button = IDOK) {
    DialogStep step;
    step.group = group;
    step.title = std::move(title);
    step.path = std::move(path);
    step.parameters = std::move(parameters);
    step.section = std::move(section);
    step.button = button;
    return step;
}

DialogStep Cancel() {
    DialogStep step;
    step.button = IDCANCEL;
    return step;
}

class ProgramDialog : public kvtest::MainWindowTest {
  protected:
    void TearDown() override {
        kv::SetRegistryWritesBlockedForTests(false);
        kvtest::MainWindowTest::TearDown();
    }
    void SelectOnly(const std::vector<std::string>& titles) {
        ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
        for (const std::string& title : titles) {
            ListView_SetItemState(list(), RowWithTitle(title), LVIS_SELECTED, LVIS_SELECTED);
        }
        kvtest::PumpMessages();
    }
    int Refreshes(const kvtest::StatusBarRecorder& recorder) {
        int count = 0;
        for (const std::string& text : recorder.texts()) {
            count += text == Ansi("Ищу временно отключенные программы, ждите ...") ? 1 : 0;
        }
        return count;
    }
};

TEST_F(ProgramDialog, EachKindOfGroupWritesItsLocation) {
    const std::string folder = kv::GetStartupFolderPath(kv::kCurrentUserStartup);
    ASSERT_FALSE(folder.empty());
    OpenMainWindow();
    // A path with a blank is quoted; long parameters are not cut.
    const std::string parameters = "-min " + std::string(4000, 'p');
    {
        kvtest::MessageBoxAnswerer answerer;
        kvtest::ProgramDialogDriver driver({
            {Step(kv::kGroupHkcuRun, "Tool", "C:\\Program Files\\Tool\\t.exe", parameters)},
            {Step(kv::kGroupRunOnceEx, "Step", "C:\\setup.exe", "/q", "Install")},
            {Step(kv::kGroupWinIniLoad, "", "C:\\windows\\notepad.exe", "ignored")},
            {Step(kv::kGroupCurrentUserStartup, "Notes", "C:\\windows\\notepad.exe", "C:\\a.txt")},
        });
        for (int i = 0; i < 4; ++i) {
            SendCommand(IDM_ADD);
        }
        const std::vector<kvtest::ProgramDialogFields>& opened = driver.Opened();
        ASSERT_EQ(4u, opened.size());
        for (const kvtest::ProgramDialogFields& fields : opened) {
            EXPECT_EQ("", fields.title + fields.path + fields.parameters + fields.section);
            EXPECT_EQ(0, fields.group); // "All startups"
            EXPECT_EQ(kv::kGroupCount, fields.groupCount);
            EXPECT_FALSE(fields.sectionLabelEnabled);
        }
    }
    EXPECT_EQ("\"C:\\Program Files\\Tool\\t.exe\" " + parameters,
              ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Tool"));
    EXPECT_EQ("C:\\setup.exe /q", ReadString(HKEY_LOCAL_MACHINE, kRunOnceExInstall, "Step"));
    EXPECT_EQ("C:\\windows\\notepad.exe", kv::ReadWinIniValue("load")); // no parameters
    EXPECT_EQ("", kv::ReadWinIniValue("run"));
    // Each OK refreshed the list: the last one shows the new shortcut.
    const int row = RowWithTitle("Notes.lnk");
    ASSERT_GE(row, 0);
    EXPECT_TRUE(kv::RowChecked(row));
    EXPECT_EQ("C:\\windows\\notepad.exe C:\\a.txt", kv::RowText(row, kv::kColumnCommand));
    EXPECT_EQ(folder, kv::RowText(row, kv::kColumnLocation));
    EXPECT_GE(RowWithTitle("Tool"), 0);
    EXPECT_EQ(Ansi("Сервис Notes был создан успешно"), StatusText(0));
}

TEST_F(ProgramDialog, EachRefusalKeepsTheDialogOpenWithTheInput) {
    const std::string folder = kv::GetStartupFolderPath(kv::kCurrentUserStartup);
    ASSERT_FALSE(folder.empty());
    OpenMainWindow();
    // Folder, title and 10 more: one over 260.
    const std::string longTitle(251 - folder.size(), 't');
    const std::map<std::string, std::string> before = kvtest::StartupSetBytes();
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Пожалуйста, выберите другую группу автозагрузки", IDOK)
            .Expect("Kelvorin", "Пожалуйста, укажите заголовок для нового сервиса", IDOK)
            .Expect("Kelvorin",
                    "Вам надо указать путь к файлу, который необходимо добавить в автозагрузку",
                    IDOK)
            .Expect("Kelvorin", "Пожалуйста, введите какое-либо имя секции для сервиса", IDOK)
            .Expect("Kelvorin", "Слишком длинное имя секции", IDOK)
            .Expect("Kelvorin", "Имя секции не может содержать знак \\", IDOK)
            .Expect("Kelvorin", "Слишком длинное имя заголовка", IDOK)
            .Expect("Kelvorin",
                    "Заголовок станет именем ярлыка в папке автозагрузки: он не может содержать "
                    "знаки \\ / : и состоять из одних точек",
                    IDOK);
        kvtest::ProgramDialogDriver driver({{
            Step(4, "T", "C:\\t.exe"), // "Registry", a heading
            Step(kv::kGroupHkcuRun, ""),
            Step(-1, "T", ""),
            Step(kv::kGroupRunOnceEx, {}, "C:\\t.exe", {}, ""),
            Step(-1, {}, {}, {}, std::string(443, 's')),
            Step(-1, {}, {}, {}, "a\\b"),
            Step(kv::kGroupCurrentUserStartup, longTitle),
            Step(-1, "..\\evil"),
            Cancel(),
        }});
        SendCommand(IDM_ADD);
        driver.Opened();
        answerer.WaitAll();
    }
    EXPECT_EQ(before, kvtest::StartupSetBytes()); // nothing written anywhere

    // A section of 442 characters passes the dialog's checks; the registry
    // itself takes no key name that long, the writer says so, and the dialog
    // stays open with the input for another try.
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin",
                        "Не могу создать этот сервис. Введите более короткое имя секции и "
                        "попробуйте еще раз.",
                        IDOK);
        kvtest::ProgramDialogDriver driver(
            {{Step(kv::kGroupRunOnceEx, "T", "C:\\t.exe", "", std::string(442, 's')), Cancel()}});
        SendCommand(IDM_ADD);
        driver.Opened();
        answerer.WaitAll();
    }
    EXPECT_EQ(before, kvtest::StartupSetBytes());
}

TEST_F(ProgramDialog, EditingAnEnabledRowMovesItsEntry) {
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Old", "C:\\windows\\notepad.exe /a");
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Stay", "s.exe");
    OpenMainWindow();
    SelectOnly({"Old"});
    kvtest::StatusBarRecorder recorder;
    recorder.Start();
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Вы действительно хотите редактировать Old ?", IDYES);
        kvtest::ProgramDialogDriver driver({{Step(kv::kGroupHklmRun, "New")}});
        SendCommand(IDM_EDIT);
        const std::vector<kvtest::ProgramDialogFields>& opened = driver.Opened();
        ASSERT_EQ(1u, opened.size());
        EXPECT_EQ("Old", opened[0].title);
        EXPECT_EQ("C:\\windows\\notepad.exe", opened[0].path);
        EXPECT_EQ("/a", opened[0].parameters);
        EXPECT_EQ(kv::kGroupHkcuRun, opened[0].group);
    }
    recorder.Stop();
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Old"));
    EXPECT_EQ("C:\\windows\\notepad.exe /a", ReadString(HKEY_LOCAL_MACHINE, kv::kRunKey, "New"));
    EXPECT_EQ("s.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Stay"));
    EXPECT_EQ(1, Refreshes(recorder));
    EXPECT_EQ(-1, RowWithTitle("Old"));
    ASSERT_GE(RowWithTitle("New"), 0);
    EXPECT_TRUE(kv::RowChecked(RowWithTitle("New")));
    EXPECT_FALSE(kv::g_app.ListBusy);
}

// A program file kept in the Startup folder itself would go with its old
// entry: the edit is refused and the file stays.
TEST_F(ProgramDialog, AFileInTheStartupFolderIsNotReplacedByALinkToItself) {
    const std::string file = kv::GetStartupFolderPath(kv::kCurrentUserStartup) + "\\tool.exe";
    kvtest::MakeFile(file, "MZ");
    OpenMainWindow();
    SelectOnly({"tool.exe"});
    const std::map<std::string, std::string> before = kvtest::StartupSetBytes();
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Вы действительно хотите редактировать tool.exe ?", IDYES)
            .Expect("Kelvorin",
                    "Этот файл находится в самой папке автозагрузки и был бы удален вместе с "
                    "прежней записью. Укажите другой путь к файлу",
                    IDOK);
        kvtest::ProgramDialogDriver driver({{Step(kv::kGroupHkcuRun), Cancel()}});
        SendCommand(IDM_EDIT);
        const std::vector<kvtest::ProgramDialogFields>& opened = driver.Opened();
        ASSERT_EQ(1u, opened.size());
        EXPECT_EQ(file, opened[0].path);
    }
    EXPECT_EQ(before, kvtest::StartupSetBytes());
}

TEST_F(ProgramDialog, EditingADisabledRowChangesOnlyItsRecord) {
    kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, "Off", "C:\\windows\\notepad.exe");
    OpenMainWindow();
    SetBox("Off", false);
    ASSERT_EQ(1u, kv::ReadDisabledEntries().size());
    const std::map<std::string, std::string> before = kvtest::StartupSetBytes();
    SelectOnly({"Off"});
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Вы действительно хотите редактировать Off ?", IDYES)
            .Expect("Kelvorin",
                    "Для отключенной программы в группе win.ini нельзя указать параметры: в "
                    "строке win.ini они стали бы отдельной программой. Очистите поле "
                    "\"Параметры\"",
                    IDOK)
            .Expect("Kelvorin",
                    "Путь к файлу содержит пробел или запятую и не имеет короткого имени (8.3): в "
                    "строке win.ini он распался бы на несколько программ",
                    IDOK);
        kvtest::ProgramDialogDriver driver({{
            Step(kv::kGroupWinIniLoad, {}, {}, "/b"),
            Step(-1, {}, "C:\\No Such Folder\\x.exe", ""),
            Step(kv::kGroupHkcuRunOnce, "Off2", "C:\\Program Files\\x y.exe", "/b"),
        }});
        SendCommand(IDM_EDIT);
        const std::vector<kvtest::ProgramDialogFields>& opened = driver.Opened();
        ASSERT_EQ(1u, opened.size());
        EXPECT_EQ("Off", opened[0].title);
        EXPECT_EQ(kv::kGroupHkcuRun, opened[0].group);
    }
    const std::vector<kv::StartupEntry> stored = kv::ReadDisabledEntries();
    ASSERT_EQ(1u, stored.size());
    EXPECT_EQ("Off2", stored[0].title);
    EXPECT_EQ("\"C:\\Program Files\\x y.exe\" /b", stored[0].command);
    EXPECT_EQ("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", stored[0].location);
    EXPECT_EQ(before, kvtest::StartupSetBytes()); // no location was written
    EXPECT_EQ(-1, RowWithTitle("Off"));
    ASSERT_GE(RowWithTitle("Off2"), 0);
    EXPECT_TRUE(kv::RowUnchecked(RowWithTitle("Off2")));
}

TEST_F(ProgramDialog, EditingSeveralRowsAsksOnceAndRefreshesOnce) {
    for (const char* title : {"Alpha", "Beta", "Gamma", "Other"}) {
        kvtest::SetValue(HKEY_CURRENT_USER, kv::kRunKey, title, std::string(title) + ".exe");
    }
    OpenMainWindow();
    SelectOnly({"Gamma", "Alpha", "Beta"});
    std::vector<std::string> order; // the selected rows, top first
    for (int row = 0; row < kv::RowCount(); ++row) {
        if (kv::RowSelected(row)) {
            order.push_back(kv::RowText(row, kv::kColumnTitle));
        }
    }
    ASSERT_EQ(3u, order.size());
    kvtest::StatusBarRecorder recorder;
    recorder.Start();
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Вы действительно хотите редактировать 3 программ(ы)?", IDYES);
        kvtest::ProgramDialogDriver driver({
            {Step(-1, {}, {}, "-1")},
            {Cancel()},
            {Step(-1, order[2] + "2")},
        });
        SendCommand(IDM_EDIT);
        const std::vector<kvtest::ProgramDialogFields>& opened = driver.Opened();
        ASSERT_EQ(3u, opened.size());
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(order[i], opened[i].title);
        }
    }
    recorder.Stop();
    EXPECT_EQ(1, Refreshes(recorder));
    EXPECT_EQ(order[0] + ".exe -1", ReadString(HKEY_CURRENT_USER, kv::kRunKey, order[0]));
    EXPECT_EQ(order[1] + ".exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, order[1]));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, order[2]));
    EXPECT_EQ(order[2] + ".exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, order[2] + "2"));
    EXPECT_EQ("Other.exe", ReadString(HKEY_CURRENT_USER, kv::kRunKey, "Other"));
    EXPECT_EQ(4, kv::RowCount());
}

TEST_F(ProgramDialog, AFailedWriteDuringAnEditPutsTheOldEntryBack) {
    const std::string folder = kv::GetStartupFolderPath(kv::kCurrentUserStartup);
    const std::string link = folder + "\\Keep.lnk";
    kvtest::MakeShellLink(link, "C:\\windows\\notepad.exe", "C:\\a.txt");
    const std::string bytes = kvtest::ReadFileText(link);
    OpenMainWindow();
    // The shortcut leaves its folder; the registry then refuses the new value.
    SelectOnly({"Keep.lnk"});
    kv::SetRegistryWritesBlockedForTests(true);
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Вы действительно хотите редактировать Keep.lnk ?", IDYES)
            .Expect("Error", "Не могу создать Keep.lnk сервис", IDOK)
            .Expect("Kelvorin",
                    "Сервис Keep.lnk не изменен: новую запись создать не удалось, прежняя запись "
                    "восстановлена",
                    IDOK);
        // Nothing changed: the dialog stays open with the input.
        kvtest::ProgramDialogDriver driver({{Step(kv::kGroupHkcuRun), Cancel()}});
        SendCommand(IDM_EDIT);
        const std::vector<kvtest::ProgramDialogFields>& opened = driver.Opened();
        ASSERT_EQ(1u, opened.size());
        EXPECT_EQ(kv::kGroupCurrentUserStartup, opened[0].group);
        EXPECT_EQ("C:\\windows\\notepad.exe", opened[0].path);
        EXPECT_EQ("C:\\a.txt", opened[0].parameters);
    }
    EXPECT_EQ(bytes, kvtest::ReadFileText(link)); // the very same file
    EXPECT_TRUE(kvtest::FolderIsEmpty(kv::KeptFilesFolder()));
    EXPECT_TRUE(kv::ReadDisabledEntries().empty());
    ASSERT_GE(RowWithTitle("Keep.lnk"), 0);
    EXPECT_TRUE(kv::RowChecked(RowWithTitle("Keep.lnk")));
    EXPECT_EQ(Ansi("Сервис Keep.lnk не изменен: новую запись создать не удалось, прежняя запись "
                   "восстановлена"),
              StatusText(0));

    // When meanwhile another file takes its name, the old entry cannot go
    // back: it is kept as a disabled entry, with its own file.
    SelectOnly({"Keep.lnk"});
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Вы действительно хотите редактировать Keep.lnk ?", IDYES)
            .ExpectAndDo("Error", "Не могу создать Keep.lnk сервис", IDOK,
                         [&] { kvtest::MakeFile(link, "another"); })
            .Expect("Kelvorin",
                    "Сервис Keep.lnk не изменен и не может вернуться на прежнее место: он "
                    "сохранен как временно отключенный",
                    IDOK);
        kvtest::ProgramDialogDriver driver({{Step(kv::kGroupHkcuRun)}});
        SendCommand(IDM_EDIT);
        driver.Opened();
    }
    kv::SetRegistryWritesBlockedForTests(false);
    const std::vector<kv::StartupEntry> stored = kv::ReadDisabledEntries();
    ASSERT_EQ(1u, stored.size());
    EXPECT_EQ("Keep.lnk", stored[0].title);
    EXPECT_EQ(bytes, kvtest::ReadFileText(stored[0].kept.file));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, kv::kRunKey, "Keep.lnk"));
    int unchecked = 0;
    for (int row = 0; row < kv::RowCount(); ++row) {
        unchecked += kv::RowUnchecked(row) && kv::RowText(row, kv::kColumnTitle) == "Keep.lnk";
    }
    EXPECT_EQ(1, unchecked);
}

TEST_F(ProgramDialog, DroppedFilesOpenTheDialogOneAfterAnother) {
    OpenMainWindow();
    const std::string longPath =
        "C:\\" + std::string(150, 'd') + "\\" + std::string(150, 'e') + "\\Long Tool.exe";
    HGLOBAL drop = kvtest::MakeFileDrop({longPath, "C:\\windows\\notepad.exe"});
    const std::map<std::string, std::string> before = kvtest::StartupSetBytes();
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Пожалуйста, выберите другую группу автозагрузки", IDOK);
        kvtest::ProgramDialogDriver driver({{DialogStep(), Cancel()}, {Cancel()}},
                                           GetCurrentThreadId());
        PostMessageA(list(), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        kv::RunMessageLoop(window()); // until the driver is done
        const std::vector<kvtest::ProgramDialogFields>& opened = driver.Opened();
        ASSERT_EQ(2u, opened.size());
        EXPECT_EQ(longPath, opened[0].path);
        EXPECT_EQ("Long Tool.exe", opened[0].title);
        EXPECT_EQ(0, opened[0].group);
        EXPECT_EQ("C:\\windows\\notepad.exe", opened[1].path);
        EXPECT_EQ("notepad.exe", opened[1].title);
        EXPECT_EQ(0, opened[1].group);
    }
    EXPECT_EQ(0u, GlobalSize(drop)); // released
    EXPECT_EQ(before, kvtest::StartupSetBytes());
}

} // namespace
