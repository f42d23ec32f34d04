#include "support/package_fixture.h"

#include "base/handles.h"
#include "entries/catalogue.h"
#include "entries/registry.h"
#include "support/registry_fixture.h"

namespace kvtest {

namespace {

void RemoveWideTree(const std::wstring& path) {
    WIN32_FIND_DATAW found;
    kv::FindHandleWide search(path + L"\\*", found);
    if (search.valid()) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveWideTree(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (search.Next(found));
    }
    RemoveDirectoryW(path.c_str());
}

} // namespace

TaskSpec Task(const std::string& taskId, const std::string& enabled, const std::string& displayName,
              const std::string& executable, const std::string& parameters,
              const std::string& form) {
    TaskSpec task;
    task.taskId = taskId;
    task.enabled = enabled;
    task.displayName = displayName;
    task.executable = executable;
    task.parameters = parameters;
    task.form = form;
    return task;
}

std::string ManifestText(const std::string& name, const std::vector<TaskSpec>& tasks) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<Package xmlns=\"http://schemas.microsoft.com/appx/manifest/foundation/windows10\"\n"
        "  xmlns:desktop=\"http://schemas.microsoft.com/appx/manifest/desktop/windows10\"\n"
        "  xmlns:uap5=\"http://schemas.microsoft.com/appx/manifest/uap/windows10/5\"\n"
        "  xmlns:uap10=\"http://schemas.microsoft.com/appx/manifest/uap/windows10/10\">\n"
        "  <Identity Name=\"" +
        name +
        "\" Publisher=\"CN=Test\" Version=\"1.0.0.0\" ProcessorArchitecture=\"x64\"/>\n"
        "  <Applications>\n"
        "    <Application Id=\"App\" Executable=\"App.exe\" "
        "EntryPoint=\"Windows.FullTrustApplication\">\n"
        "      <Extensions>\n";
    for (const TaskSpec& task : tasks) {
        text += "        <" + task.form +
                ":Extension Category=\"windows.startupTask\" Executable=\"" + task.executable +
                "\" EntryPoint=\"Windows.FullTrustApplication\"";
        if (!task.parameters.empty()) {
            text += " uap10:Parameters=\"" + task.parameters + "\"";
        }
        text += ">\n          <" + task.form + ":StartupTask TaskId=\"" + task.taskId +
                "\" Enabled=\"" + task.enabled + "\" DisplayName=\"" + task.displayName +
                "\"/>\n        </" + task.form + ":Extension>\n";
    }
    return text + "      </Extensions>\n    </Application>\n  </Applications>\n</Package>\n";
}

std::string TaskStateKey(const std::string& family, const std::string& taskId) {
    return std::string(kv::kAppModelStateKey) + "\\" + family + "\\" + taskId;
}

void SetTaskState(const std::string& family, const std::string& taskId, DWORD state) {
    SetDwordValue(HKEY_CURRENT_USER, TaskStateKey(family, taskId), "State", state);
}

void SetTaskStateValue(const std::string& family, const std::string& taskId, DWORD type,
                       const std::string& bytes) {
    SetValue(HKEY_CURRENT_USER, TaskStateKey(family, taskId), "State", bytes, type, false);
}

void WriteWideFile(const std::wstring& path, const std::string& bytes) {
    const kv::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid());
    DWORD written = 0;
    ASSERT_TRUE(
        WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(bytes.size(), written);
}

PackageInstaller::PackageInstaller() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"kv-packages-" + std::to_wstring(GetCurrentProcessId());
    RemoveWideTree(root_);
    CreateDirectoryW(root_.c_str(), nullptr);
}

PackageInstaller::~PackageInstaller() {
    DeleteKeyTree(HKEY_CURRENT_USER, kv::kAppModelPackagesKey);
    DeleteKeyTree(HKEY_CURRENT_USER, kv::kAppModelStateKey);
    RemoveWideTree(root_);
}

std::wstring PackageInstaller::Install(const std::wstring& fullName, const std::wstring& folder,
                                       const std::string* manifest) {
    const std::wstring path = root_ + L"\\" + folder;
    CreateDirectoryW(path.c_str(), nullptr);
    if (manifest != nullptr) {
        WriteWideFile(path + L"\\AppxManifest.xml", *manifest);
    }
    const std::wstring keyPath = kv::Wide(kv::kAppModelPackagesKey) + L"\\" + fullName;
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    const std::string bytes = kv::BytesOfWide(path + std::wstring(1, L'\0'));
    EXPECT_EQ(ERROR_SUCCESS, RegSetValueExW(key, L"PackageRootFolder", 0, REG_SZ,
                                            reinterpret_cast<const BYTE*>(bytes.data()),
                                            static_cast<DWORD>(bytes.size())));
    RegCloseKey(key);
    return path;
}

} // namespace kvtest
