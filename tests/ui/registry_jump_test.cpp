// The registry editor of the system, driven by "Просмотр в реестре" and read
// back from its own windows.
#include "dialogs/registry_jump.h"
#include "entries/catalogue.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "resource.h"

#include "support/main_window_fixture.h"
#include "support/remote_controls.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

using kvtest::SetValue;

namespace {

const char* const kEditorClass = "RegEdit_RegEdit";

void CloseEditors() {
    for (HWND editor : kvtest::TopLevelWindowsOfClass(kEditorClass)) {
        kvtest::CloseProcessWindow(editor);
    }
}

// The key the editor's tree has selected, as "\HKEY_...\...\Key" (the tree's
// top item, the computer, left out), and the value its list has selected.
struct EditorSelection {
    std::string keyPath;
    std::string value;
};

EditorSelection ReadEditor(HWND editor) {
    EditorSelection selection;
    const std::vector<std::string> path =
        kvtest::TreeSelectionPath(kvtest::DescendantOfClass(editor, "SysTreeView32"));
    for (std::size_t i = 1; i < path.size(); ++i) {
        selection.keyPath += "\\" + path[i];
    }
    selection.value = kvtest::ListSelectionText(kvtest::DescendantOfClass(editor, "SysListView32"));
    return selection;
}

class RegistryJump : public kvtest::MainWindowTest {
  protected:
    void SetUp() override {
        kvtest::MainWindowTest::SetUp();
        CloseEditors();
    }
    void TearDown() override {
        CloseEditors();
        kvtest::MainWindowTest::TearDown();
    }

    // The row alone selected and made the selection mark, as a click does.
    void SelectOnly(int row) {
        LVITEMA item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(&item));
        SendMessageA(list(), LVM_SETSELECTIONMARK, 0, row);
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        kvtest::PumpMessages();
    }
};

TEST_F(RegistryJump, EditorShowsTheRowsKeyAndValue) {
    const std::string section = std::string(kv::kRunOnceExKey) + "\\KvSection";
    // Names that share their beginnings, so that only the whole name typed
    // selects the right one.
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "KvJumpAlpha", "a.exe");
    SetValue(HKEY_CURRENT_USER, kv::kRunKey, "KvJumpValue", "j.exe");
    SetValue(HKEY_LOCAL_MACHINE, section, "KvSectionFirst", "f.exe");
    SetValue(HKEY_LOCAL_MACHINE, section, "KvSectionValue", "s.exe");
    ASSERT_TRUE(kvtest::TopLevelWindowsOfClass(kEditorClass).empty());
    OpenMainWindow();

    struct Case {
        const char* title;
        const char* keyPath;
    };
    // The first jump starts the editor; the second finds it running, with its
    // tree open at the first key, and walks it again from the root.
    const Case cases[] = {
        {"KvJumpValue", "\\HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
        {"KvSectionValue",
         "\\HKEY_LOCAL_"
         "MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx\\KvSection"},
    };
    HWND firstEditor = nullptr;
    for (const Case& c : cases) {
        const int row = RowWithTitle(c.title);
        ASSERT_GE(row, 0) << c.title;
        SelectOnly(row);
        SendCommand(IDM_SHOW_IN_REGISTRY);

        const std::vector<HWND> editors = kvtest::TopLevelWindowsOfClass(kEditorClass);
        ASSERT_EQ(1u, editors.size()) << c.title;
        if (firstEditor == nullptr) {
            firstEditor = editors[0];
        }
        EXPECT_EQ(firstEditor, editors[0]) << c.title;
        const EditorSelection selection = ReadEditor(editors[0]);
        EXPECT_EQ(0, lstrcmpiA(c.keyPath, selection.keyPath.c_str()))
            << c.title << ": " << selection.keyPath;
        EXPECT_EQ(c.title, selection.value);
    }
}

} // namespace
