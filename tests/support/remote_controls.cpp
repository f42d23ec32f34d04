#include "support/remote_controls.h"

#include <commctrl.h>

namespace kvtest {

namespace {

// Long enough for any answer of a living process.
constexpr UINT kPatience = 10000;

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result = nullptr) {
    DWORD_PTR answer = 0;
    const bool sent = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                          kPatience, &answer) != 0;
    if (result != nullptr) {
        *result = static_cast<LRESULT>(answer);
    }
    return sent;
}

// A block of memory inside the process that owns a window: a control of that
// process writes what it is asked for there.
class RemoteBlock {
  public:
    RemoteBlock(HWND window, std::size_t size) : size_(size) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        process_ =
            OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (process_ != nullptr) {
            address_ = static_cast<char*>(
                VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        }
    }
    ~RemoteBlock() {
        if (address_ != nullptr) {
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        }
        if (process_ != nullptr) {
            CloseHandle(process_);
        }
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool valid() const { return address_ != nullptr; }
    char* at(std::size_t offset) const { return address_ + offset; }
    bool Write(std::size_t offset, const void* data, std::size_t size) const {
        SIZE_T written = 0;
        return WriteProcessMemory(process_, at(offset), data, size, &written) && written == size;
    }
    bool Read(std::size_t offset, void* data, std::size_t size) const {
        SIZE_T read = 0;
        return ReadProcessMemory(process_, at(offset), data, size, &read) && read == size;
    }
    // The terminated text at the offset, at most `limit` bytes.
    std::string Text(std::size_t offset, std::size_t limit) const {
        std::string text(limit, '\0');
        if (!Read(offset, &text[0], limit)) {
            return std::string();
        }
        text.resize(text.find('\0') == std::string::npos ? limit : text.find('\0'));
        return text;
    }

  private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
    std::size_t size_;
};

// The item record first, its text buffer after it.
constexpr std::size_t kTextOffset = 256;
constexpr std::size_t kTextSize = 1024;
static_assert(sizeof(TVITEMA) <= kTextOffset && sizeof(LVITEMA) <= kTextOffset,
              "the item record fits before its text");

std::string TreeItemText(HWND tree, const RemoteBlock& block, HTREEITEM item) {
    TVITEMA record{};
    record.mask = TVIF_TEXT | TVIF_HANDLE;
    record.hItem = item;
    record.pszText = block.at(kTextOffset);
    record.cchTextMax = static_cast<int>(kTextSize);
    LRESULT got = 0;
    if (!block.Write(0, &record, sizeof(record)) ||
        !Send(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(block.at(0)), &got) || got == 0) {
        return std::string();
    }
    return block.Text(kTextOffset, kTextSize);
}

struct ClassSearch {
    std::string className;
    std::vector<HWND> found;
    bool all;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM param) {
    ClassSearch* search = reinterpret_cast<ClassSearch*>(param);
    char name[128] = {};
    GetClassNameA(window, name, sizeof(name));
    if (lstrcmpiA(name, search->className.c_str()) == 0) {
        search->found.push_back(window);
        return search->all ? TRUE : FALSE;
    }
    return TRUE;
}

} // namespace

std::vector<HWND> TopLevelWindowsOfClass(const std::string& className) {
    ClassSearch search{className, {}, true};
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND DescendantOfClass(HWND parent, const std::string& className) {
    ClassSearch search{className, {}, false};
    EnumChildWindows(parent, VisitWindow, reinterpret_cast<LPARAM>(&search));
    return search.found.empty() ? nullptr : search.found.front();
}

std::vector<std::string> TreeSelectionPath(HWND tree) {
    std::vector<std::string> path;
    const RemoteBlock block(tree, kTextOffset + kTextSize);
    if (!block.valid()) {
        return path;
    }
    LRESULT item = 0;
    if (!Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, &item)) {
        return path;
    }
    while (item != 0) {
        path.insert(path.begin(), TreeItemText(tree, block, reinterpret_cast<HTREEITEM>(item)));
        if (!Send(tree, TVM_GETNEXTITEM, TVGN_PARENT, item, &item)) {
            return std::vector<std::string>();
        }
    }
    return path;
}

std::string ListSelectionText(HWND list) {
    LRESULT index = -1;
    if (!Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, &index) || index < 0) {
        return std::string();
    }
    const RemoteBlock block(list, kTextOffset + kTextSize);
    if (!block.valid()) {
        return std::string();
    }
    LVITEMA record{};
    record.iSubItem = 0;
    record.pszText = block.at(kTextOffset);
    record.cchTextMax = static_cast<int>(kTextSize);
    if (!block.Write(0, &record, sizeof(record)) ||
        !Send(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index),
              reinterpret_cast<LPARAM>(block.at(0)))) {
        return std::string();
    }
    return block.Text(kTextOffset, kTextSize);
}

void CloseProcessWindow(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    PostMessageA(window, WM_CLOSE, 0, 0);
    if (process != nullptr) {
        if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
}

} // namespace kvtest
