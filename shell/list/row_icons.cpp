#include "shell/list/row_icons.h"

#include "base/handles.h"
#include "base/text.h"
#include "entries/command_path.h"

#include <windows.h>
#include <shellapi.h>

namespace kv {

namespace {

int DriveIconIndex() {
    SHFILEINFOA drive{};
    SHGetFileInfoA("C:\\", 0, &drive, sizeof(drive), SHGFI_ICON | SHGFI_SYSICONINDEX);
    const UniqueIcon icon(drive.hIcon); // only the index is kept
    return drive.iIcon;
}

// The shell's icon index for an existing file; -1 when it has no icon for it.
int ShellIconIndex(const std::string& path) {
    SHFILEINFOA info{};
    const std::string file = FileLookupPath(path);
    SHGetFileInfoA(file.c_str(), 0, &info, sizeof(info), SHGFI_ICON | SHGFI_SYSICONINDEX);
    const UniqueIcon icon(info.hIcon); // only the index is kept
    return icon ? info.iIcon : -1;
}

} // namespace

int FileIconIndex(const std::string& path) {
    return IconLookup()(path);
}

int IconLookup::operator()(const std::string& path) {
    // A file that does not exist gets the icon of the drive "C:\".
    int index = -1;
    if (PathExists(path)) {
        const std::string key = LowerAscii(path);
        const auto found = known_.find(key);
        if (found != known_.end()) {
            return found->second;
        }
        index = ShellIconIndex(path);
        if (index >= 0) {
            known_[key] = index;
            return index;
        }
    }
    if (drive_ < 0) {
        drive_ = DriveIconIndex();
    }
    return drive_;
}

} // namespace kv
