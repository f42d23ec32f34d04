// Files, folders and shell links for tests, on the real file system of the
// test prefix.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kvtest {

// A new empty folder below the temporary folder, removed with everything in
// it when the object goes.
class TempFolder {
  public:
    explicit TempFolder(const std::string& prefix = "kv");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    // path() + "\\" + name
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

  private:
    std::string path_;
};

void MakeFile(const std::string& path, const std::string& contents = std::string());
void MakeFolder(const std::string& path);
// Makes the existing file this many bytes long; what is added reads as zero
// bytes (and takes no room where the file system keeps it sparse).
void GrowFile(const std::string& path, unsigned long long size);
std::string ReadFileText(const std::string& path);
bool FileExists(const std::string& path);
// Removes a file or a folder tree; a missing path is fine.
void RemovePath(const std::string& path);
// True when the folder holds no file or folder (a missing folder counts).
bool FolderIsEmpty(const std::string& path);
// Removes everything inside the folder, hidden and read-only files too.
void EmptyFolder(const std::string& path);

// What a shell link holds besides its file name.
struct LinkProperties {
    std::string target;
    std::string arguments;
    std::string workingFolder;
    std::string description;
    std::string iconPath;
    int iconIndex = 0;
    WORD hotKey = 0;
};

// A drop of these files (ANSI paths), as the shell hands one to a window;
// released by the window that takes it.
HGLOBAL MakeFileDrop(const std::vector<std::string>& paths);

// Creates a shell link at linkPath to the target with the arguments.
void MakeShellLink(const std::string& linkPath, const std::string& target,
                   const std::string& arguments = std::string());
// Creates a shell link with every property given.
void MakeShellLink(const std::string& linkPath, const LinkProperties& properties);
// The properties of the shell link at linkPath (empty when it cannot be read).
LinkProperties ReadShellLink(const std::string& linkPath);
bool operator==(const LinkProperties& a, const LinkProperties& b);

} // namespace kvtest
