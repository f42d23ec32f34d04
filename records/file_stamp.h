// A file's size and last write time: while a file keeps both, a copy of its
// content taken when it had them is still its content.
#pragma once

#include <string>

namespace kv {

struct FileStamp {
    unsigned long long size = 0;
    unsigned long long written = 0; // FILETIME, as one number

    bool operator==(const FileStamp& other) const {
        return size == other.size && written == other.written;
    }
};

// False when the file is not there (or its attributes cannot be had).
bool ReadFileStamp(const std::string& path, FileStamp& stamp);

} // namespace kv
