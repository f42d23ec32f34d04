// The icons of the rows: indices into the shell's system image list.
#pragma once

#include <map>
#include <string>

namespace kv {

// The system image-list index of the file's icon, or of the icon of "C:\"
// when the shell has none for it (the file does not exist).
int FileIconIndex(const std::string& path);

// FileIconIndex for many files at once, as a refresh needs it: a file asked
// for again, and every missing file, cost no second look-up by the shell.
class IconLookup {
  public:
    int operator()(const std::string& path);

  private:
    std::map<std::string, int> known_; // by lower-cased path
    int drive_ = -1;                   // index of "C:\", once asked
};

} // namespace kv
