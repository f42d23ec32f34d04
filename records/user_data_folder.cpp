#include "records/user_data_folder.h"

#include "records/settings_store.h"

#include <windows.h>

#include <vector>

namespace kv {

namespace {

void MakeFolder(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        CreateDirectoryA(path.c_str(), nullptr);
    }
}

} // namespace

std::string UserFolderName(const std::string& userName, unsigned major, unsigned minor) {
    return (userName.empty() ? std::string("Default") : userName) + "_" + std::to_string(major) +
           "." + std::to_string(minor);
}

std::string CurrentUserName() {
    std::vector<char> buffer(257);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!GetUserNameA(buffer.data(), &size)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size <= buffer.size()) {
            return "Default";
        }
        buffer.resize(size);
        if (!GetUserNameA(buffer.data(), &size)) {
            return "Default";
        }
    }
    const std::string name(buffer.data());
    return name.empty() ? std::string("Default") : name;
}

std::string UserDataFolderPath() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);

    std::string path = ExecutableDirectory() + "\\List Settings";
    MakeFolder(path);
    path +=
        "\\" + UserFolderName(CurrentUserName(), version.dwMajorVersion, version.dwMinorVersion);
    MakeFolder(path);
    return path;
}

std::string UserDataFilePath(UserDataFile file) {
    return UserDataFolderPath() +
           (file == UserDataFile::DisabledStore ? "\\disable.ini" : "\\report.ini");
}

} // namespace kv
