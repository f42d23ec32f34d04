// The per-user data folder: "List Settings\<user>_<major>.<minor>" next to the
// program file, one for every Windows user and Windows version.
#pragma once

#include <string>

namespace kv {

enum class UserDataFile {
    DisabledStore,  // disable.ini
    ChangeSnapshot, // report.ini
};

// The folder name of one user on one Windows version: "<user>_<major>.<minor>",
// with "Default" for an empty user name.
std::string UserFolderName(const std::string& userName, unsigned major, unsigned minor);

// The logon name of the user running the program; "Default" when it is empty
// or cannot be had.
std::string CurrentUserName();

// The current user's data folder, "<program folder>\List Settings\<user>_<major>.<minor>";
// the folders on the way are made when missing (on every call: a folder
// removed while the program runs comes back).
std::string UserDataFolderPath();

// The full path of the file in the current user's data folder. The folders on
// the way are made when missing (on every call: a folder removed while the
// program runs comes back); the file itself is not.
std::string UserDataFilePath(UserDataFile file);

} // namespace kv
