// Installed packaged apps for tests, made as Windows keeps them: the
// package's key below the Repository key with its PackageRootFolder, the
// AppxManifest.xml in that folder, and the State values of its startup tasks.
#pragma once

#include <windows.h>

#include "support/registry_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvtest {

// One startup task of a manifest made by ManifestText.
struct TaskSpec {
    std::string taskId;
    std::string enabled = "true";
    std::string displayName;
    std::string executable = "App.exe";
    std::string parameters;       // written as uap10:Parameters when not empty
    std::string form = "desktop"; // the extension's namespace prefix: "desktop" or "uap5"
};

TaskSpec Task(const std::string& taskId, const std::string& enabled = "true",
              const std::string& displayName = std::string(),
              const std::string& executable = "App.exe",
              const std::string& parameters = std::string(), const std::string& form = "desktop");

// A manifest of the package `name` (UTF-8) declaring these tasks.
std::string ManifestText(const std::string& name, const std::vector<TaskSpec>& tasks);

// The State value of a task (REG_DWORD), or any other value of that name.
void SetTaskState(const std::string& family, const std::string& taskId, DWORD state);
void SetTaskStateValue(const std::string& family, const std::string& taskId, DWORD type,
                       const std::string& bytes);
// The key of a task's state below HKCU.
std::string TaskStateKey(const std::string& family, const std::string& taskId);

// A folder for the packages' folders, removed with everything in it when the
// object goes, together with every package key and task state.
class PackageInstaller {
  public:
    PackageInstaller();
    ~PackageInstaller();
    PackageInstaller(const PackageInstaller&) = delete;
    PackageInstaller& operator=(const PackageInstaller&) = delete;

    // Installs the package: its key naming `folder` (a name inside this
    // object's folder), and, unless `manifest` is null, the manifest with
    // these bytes. Returns the folder's full path.
    std::wstring Install(const std::wstring& fullName, const std::wstring& folder,
                         const std::string* manifest);
    std::wstring Install(const std::wstring& fullName, const std::string& manifest) {
        return Install(fullName, fullName, &manifest);
    }

  private:
    std::wstring root_;
};

// Starts and ends each test with no startup entry and no package installed.
class PackagesTest : public StartupRegistryTest {
  protected:
    std::wstring Install(const std::wstring& fullName, const std::wstring& folder,
                         const std::string* manifest) {
        return packages_.Install(fullName, folder, manifest);
    }
    std::wstring Install(const std::wstring& fullName, const std::string& manifest) {
        return packages_.Install(fullName, manifest);
    }

  private:
    PackageInstaller packages_;
};

// Writes the bytes into the file (wide path), replacing it.
void WriteWideFile(const std::wstring& path, const std::string& bytes);

} // namespace kvtest
