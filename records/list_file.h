// Saved list files: every row of the list, enabled or disabled, as a record
// with its "state" ("1" enabled, "0" disabled), the value each registry
// entry holds, and a delayed entry's "delay" beside its state.
#pragma once

#include "entries/startup_entry.h"
#include "records/profile_records.h"

#include <string>
#include <vector>

namespace kv {

// The folder beside a list file where copies of its Startup-folder files
// may lie: the file's path without its extension, and " files".
std::string ListCopiesFolder(const std::string& listPath);

// Writes the list file whole and puts it in place of an older one in one
// step (an entry is saved as enabled when it is in its location and Windows'
// own switch does not turn it off), keeping what an older, longer file held beyond the new "total".
// A list keeps no copies of files, unless `withCopies`: a row whose kept
// file lies in ListCopiesFolder then names it. False when the file could not
// be written (an older file is then whole).
bool WriteListFile(const std::string& path, const std::vector<StartupEntry>& rows,
                   bool withCopies = false);

struct ListFile {
    // How the file was read; a file not read whole is never valid.
    FileRead read = FileRead::Missing;
    // Not a list file, or a damaged one: no "total" in "common", a "total"
    // that is no number, or fewer records than "total" claims.
    bool valid = false;
    // The records in file order: title, command, location, checked for a
    // non-zero "state", the value a registry entry held when it was saved,
    // and the copy of a Startup-folder file that lies beside the list.
    std::vector<StartupEntry> entries;
};

// Reads a list file; an older file (without the kept values) reads as it
// always did.
ListFile ReadListFile(const std::string& path);

} // namespace kv
