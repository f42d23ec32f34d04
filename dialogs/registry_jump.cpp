#include "dialogs/registry_jump.h"

#include "base/handles.h"
#include "base/text.h"

#include <commctrl.h>
#include <shellapi.h>

namespace kv {

namespace {

const char* const kEditorClass = "RegEdit_RegEdit";
const char* const kTreeClass = "SysTreeView32";
const char* const kListClass = "SysListView32";

// Left-arrow presses that collapse the tree up to its root from any key a
// user may have left it at.
const int kCollapsePresses = 30;
// Waits that let the editor fill an expanded key, and that end the tree's and
// the list's type-ahead search, so that the next name starts a search of its own.
const DWORD kExpansionWait = 750;
const DWORD kListWait = 1000;

// A freshly started editor: how long it may take to become ready for input,
// then how often, and how far apart, its window is looked for.
const DWORD kStartUpWait = 10000;
const int kWindowLooks = 20;
const DWORD kWindowLookPause = 250;

// How long the editor may take over one message before it counts as hung.
const UINT kEditorPatience = 5000;

// The second parameter of the key messages: a repeat count of 1, as a real
// key press has (the type-ahead of some list controls ignores a character
// whose key data is zero).
const LPARAM kKeyData = 1;

bool SlowDisplay() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    return EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) != FALSE &&
           mode.dmBitsPerPel > 8;
}

struct DescendantSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK VisitDescendant(HWND window, LPARAM param) {
    DescendantSearch* search = reinterpret_cast<DescendantSearch*>(param);
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpiA(name, search->className) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// The first window of the class among all descendants of the window, however
// deep the editor has placed it.
HWND FindDescendant(HWND parent, const char* className) {
    DescendantSearch search{className, nullptr};
    EnumChildWindows(parent, VisitDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindEditor() {
    return FindWindowA(kEditorClass, nullptr);
}

// Starts the editor and waits, for a bounded time, until its window is there;
// null when it does not come up.
HWND StartEditor(HWND owner) {
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.hwnd = owner;
    info.lpVerb = "open";
    info.lpFile = "regedit.exe";
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) {
        return nullptr;
    }
    const UniqueHandle process(info.hProcess);
    if (process) {
        WaitForInputIdle(process.get(), kStartUpWait);
    }
    for (int look = 0; look < kWindowLooks; ++look) {
        if (HWND editor = FindEditor()) {
            return editor;
        }
        if (process && WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
            return nullptr; // it ended without a window
        }
        Sleep(kWindowLookPause);
    }
    return nullptr;
}

// One message to a window of the editor; false when the editor does not take
// it in time (hung or gone), which ends the walk.
bool SendToEditor(HWND window, UINT message, WPARAM wParam) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, message, wParam, kKeyData, SMTO_ABORTIFHUNG, kEditorPatience,
                               &result) != 0;
}

bool PressKey(HWND window, WPARAM key) {
    return SendToEditor(window, WM_KEYDOWN, key);
}

// A character typed as the user would for the control's type-ahead search:
// the letters a-z in upper case, every other character as it is.
bool TypeCharacter(HWND window, char character) {
    unsigned char code = static_cast<unsigned char>(character);
    if (code >= 'a' && code <= 'z') {
        code = static_cast<unsigned char>(code - 'a' + 'A');
    }
    return SendToEditor(window, WM_CHAR, code);
}

// Collapses the tree to its root, then opens one level per backslash of the
// key path and selects each name by typing it. False when the editor stopped
// answering.
bool WalkTree(HWND tree, const std::string& keyPath, bool slow) {
    for (int press = 0; press < kCollapsePresses; ++press) {
        if (!PressKey(tree, VK_LEFT)) {
            return false;
        }
    }
    if (slow) {
        Sleep(kExpansionWait);
    }
    for (char character : keyPath) {
        if (character == '\\') {
            if (!PressKey(tree, VK_RIGHT)) {
                return false;
            }
            if (slow) {
                Sleep(kExpansionWait);
            }
        } else if (!TypeCharacter(tree, character)) {
            return false;
        }
    }
    return true;
}

// Selects the value in the list by typing its name from the list's top.
void SelectValue(HWND list, const std::string& valueName) {
    Sleep(kListWait);
    if (!PressKey(list, VK_HOME)) {
        return;
    }
    for (char character : valueName) {
        if (!TypeCharacter(list, character)) {
            return;
        }
    }
}

} // namespace

RegistryTarget RegistryJumpTarget(const std::string& location, const std::string& title) {
    RegistryTarget target;
    target.valueName = title;
    const std::size_t slash = location.find('\\');
    const std::string root = LowerAscii(location.substr(0, slash));
    const std::string rest = slash == std::string::npos ? std::string() : location.substr(slash);
    if (root == "hkcu") {
        target.keyPath = "\\HKEY_CURRENT_USER" + rest;
    } else if (root == "hklm") {
        target.keyPath = "\\HKEY_LOCAL_MACHINE" + rest;
    }
    return target;
}

void JumpToRegistryKey(HWND owner, const std::string& keyPath, const std::string& valueName) {
    const bool slow = SlowDisplay();
    HWND editor = FindEditor();
    if (editor == nullptr) {
        editor = StartEditor(owner);
    }
    if (editor == nullptr) {
        return;
    }
    // A hung editor is left alone: nothing below may wait on it for long.
    if (!SendToEditor(editor, WM_NULL, 0)) {
        return;
    }
    ShowWindowAsync(editor, IsIconic(editor) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(editor);

    HWND tree = FindDescendant(editor, kTreeClass);
    if (tree != nullptr && !WalkTree(tree, keyPath, slow)) {
        return;
    }
    HWND list = FindDescendant(editor, kListClass);
    if (list != nullptr) {
        SelectValue(list, valueName);
    }
    SetForegroundWindow(editor);
}

} // namespace kv
