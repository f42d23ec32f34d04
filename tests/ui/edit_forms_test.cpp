// Editing keeps what the dialog does not show: OK with nothing changed writes
// nothing, a new title or new parameters keep the rest of the old form, for
// each kind of entry whose location holds more than its texts, enabled and
// disabled alike.
#include "dialogs/program_groups.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "entries/startup_folder.h"
#include "records/disabled_store.h"
#include "shell/list/entry_list.h"

#include "support/files.h"
#include "support/main_window_fixture.h"
#include "support/message_box_answerer.h"
#include "support/program_dialog_driver.h"
#include "support/text.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

const std::string kSection = std::string(kv::kRunOnceExKey) + "\\Install";

enum class Kind { PlainFile, RichShortcut, ExpandValue };

struct KindCase {
    Kind kind;
    const char* title;      // as the list shows it
    const char* renamed;    // the title typed in the dialog
    const char* renamedRow; // as the list shows the renamed entry
};

const KindCase kKinds[] = {
    {Kind::PlainFile, "tool.exe", "tool2.exe", "tool2.exe"},
    {Kind::RichShortcut, "Rich.lnk", "Rich2", "Rich2.lnk"},
    {Kind::ExpandValue, "Exp", "Exp2", "Exp2"},
};

std::string Folder() {
    return kv::GetStartupFolderPath(kv::kCurrentUserStartup);
}

kvtest::LinkProperties RichLink() {
    kvtest::LinkProperties link;
    link.target = "C:\\windows\\notepad.exe";
    link.arguments = "a.txt";
    link.workingFolder = "C:\\windows\\temp";
    link.description = "Notes of the day";
    link.iconPath = "C:\\windows\\system32\\shell32.dll";
    link.iconIndex = 3;
    return link;
}

void Make(Kind kind) {
    switch (kind) {
    case Kind::PlainFile:
        kvtest::MakeFile(Folder() + "\\tool.exe", "MZ the tool itself");
        break;
    case Kind::RichShortcut:
        kvtest::MakeShellLink(Folder() + "\\Rich.lnk", RichLink());
        break;
    case Kind::ExpandValue:
        kvtest::SetValue(HKEY_LOCAL_MACHINE, kSection, "Exp", "%SystemRoot%\\notepad.exe",
                         REG_EXPAND_SZ);
        break;
    }
}

// What the location holds for the entry of this title; empty when nothing.
std::string FormOf(Kind kind, const std::string& title) {
    if (kind == Kind::ExpandValue) {
        kv::RegKey key;
        DWORD type = REG_NONE;
        std::string bytes;
        if (!key.Open(HKEY_LOCAL_MACHINE, kSection, KEY_QUERY_VALUE) ||
            kv::QueryValue(key.get(), title, type, bytes) != ERROR_SUCCESS) {
            return std::string();
        }
        return std::to_string(type) + ":" + bytes;
    }
    const std::string path = Folder() + "\\" + title;
    if (!kvtest::FileExists(path)) {
        return std::string();
    }
    if (kind == Kind::PlainFile) {
        return kvtest::ReadFileText(path);
    }
    const kvtest::LinkProperties link = kvtest::ReadShellLink(path);
    return link.target + "|" + link.arguments + "|" + link.workingFolder + "|" + link.description +
           "|" + link.iconPath + "|" + std::to_string(link.iconIndex);
}

class EditForms : public kvtest::MainWindowTest {
  protected:
    // The edit command on the one row of this title, with one dialog script.
    void Edit(const std::string& title, const kvtest::DialogScript& script,
              const std::string& refusal = std::string()) {
        ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
        ListView_SetItemState(list(), RowWithTitle(title), LVIS_SELECTED, LVIS_SELECTED);
        kvtest::PumpMessages();
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Kelvorin", "Вы действительно хотите редактировать " + title + " ?", IDYES);
        if (!refusal.empty()) {
            answerer.Expect("Kelvorin", refusal, IDOK);
        }
        kvtest::ProgramDialogDriver driver({script});
        SendCommand(IDM_EDIT);
        driver.Opened();
        answerer.WaitAll();
    }
};

kvtest::DialogStep Typed(std::optional<std::string> title, std::optional<std::string> parameters) {
    kvtest::DialogStep step;
    step.title = std::move(title);
    step.parameters = std::move(parameters);
    return step;
}

kvtest::DialogStep Cancel() {
    kvtest::DialogStep step;
    step.button = IDCANCEL;
    return step;
}

TEST_F(EditForms, WhatTheDialogDoesNotShowStaysAsItWas) {
    ASSERT_FALSE(Folder().empty());
    OpenMainWindow();
    for (const KindCase& kind : kKinds) {
        for (const bool disabled : {false, true}) {
            SCOPED_TRACE(std::string(kind.title) + (disabled ? ", disabled" : ", enabled"));
            ClearStartupSet();
            Make(kind.kind);
            SendCommand(IDM_REFRESH);
            const std::string form = FormOf(kind.kind, kind.title);
            ASSERT_FALSE(form.empty());
            const std::map<std::string, std::string> set = kvtest::StartupSetBytes();
            // Every road ends where it began when the entry is enabled again.
            const auto off = [&](const std::string& title) {
                if (disabled) {
                    SetBox(title, false);
                    ASSERT_TRUE(FormOf(kind.kind, title).empty());
                }
            };
            const auto on = [&](const std::string& title) {
                if (disabled) {
                    SetBox(title, true);
                }
            };

            // OK with nothing changed writes nothing.
            off(kind.title);
            const std::vector<kv::StartupEntry> stored = kv::ReadDisabledEntries();
            Edit(kind.title, {kvtest::DialogStep()});
            if (disabled) {
                ASSERT_EQ(1u, kv::ReadDisabledEntries().size());
                EXPECT_EQ(stored[0].kept.file, kv::ReadDisabledEntries()[0].kept.file);
            }
            on(kind.title);
            EXPECT_EQ(set, kvtest::StartupSetBytes());

            // A new title: the same form under the new name, nothing beside it.
            off(kind.title);
            Edit(kind.title, {Typed(kind.renamed, {})});
            on(kind.renamedRow);
            EXPECT_EQ(form, FormOf(kind.kind, kind.renamedRow));
            EXPECT_TRUE(FormOf(kind.kind, kind.title).empty());
            EXPECT_EQ(set.size(), kvtest::StartupSetBytes().size());

            // New parameters: a value keeps its type, a shortcut its other
            // properties; the file that is the entry itself cannot take any.
            off(kind.renamedRow);
            if (kind.kind == Kind::PlainFile) {
                Edit(kind.renamedRow, {Typed({}, "/quiet"), Cancel()},
                     "Этот файл лежит в самой папке автозагрузки и не является ярлыком: его "
                     "можно переименовать или перенести в другую папку автозагрузки, но путь к "
                     "файлу и параметры изменить нельзя");
                on(kind.renamedRow);
                EXPECT_EQ(form, FormOf(kind.kind, kind.renamedRow));
                continue;
            }
            Edit(kind.renamedRow, {Typed({}, "/quiet")});
            on(kind.renamedRow);
            if (kind.kind == Kind::ExpandValue) {
                EXPECT_EQ(std::to_string(REG_EXPAND_SZ) + ":%SystemRoot%\\notepad.exe /quiet" +
                              std::string(1, '\0'),
                          FormOf(kind.kind, kind.renamedRow));
            } else {
                kvtest::LinkProperties expected = RichLink();
                expected.arguments = "/quiet";
                EXPECT_TRUE(expected == kvtest::ReadShellLink(Folder() + "\\" + kind.renamedRow));
            }
        }
    }
    EXPECT_TRUE(kvtest::FolderIsEmpty(kv::KeptFilesFolder()));
}

// The old entry could not come back if the new one failed: nothing is done,
// and the dialog stays open with the input. A shortcut that cannot be saved
// says so.
TEST_F(EditForms, NothingWrittenKeepsTheDialogOpen) {
    ASSERT_FALSE(Folder().empty());
    kvtest::MakeFolder(Folder() + "\\Sub");
    kvtest::MakeFolder(Folder() + "\\Busy.lnk");
    OpenMainWindow();
    const std::map<std::string, std::string> set = kvtest::StartupSetBytes();
    Edit("Sub", {Typed("Sub2", {}), Cancel()},
         "Сервис Sub нельзя изменить: его нельзя будет вернуть на прежнее место");
    kvtest::DialogStep toFolder = Typed("Busy", {});
    toFolder.path = "C:\\windows\\notepad.exe";
    toFolder.group = kv::kGroupCurrentUserStartup;
    {
        kvtest::MessageBoxAnswerer answerer;
        answerer.Expect("Error", "Не могу создать Busy сервис", IDOK);
        kvtest::ProgramDialogDriver driver({{toFolder, Cancel()}});
        SendCommand(IDM_ADD);
        driver.Opened();
        answerer.WaitAll();
    }
    EXPECT_EQ(set, kvtest::StartupSetBytes());
    EXPECT_GE(RowWithTitle("Sub"), 0);
}

} // namespace
