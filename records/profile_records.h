// The record layout shared by disable.ini, report.ini and saved list files:
// section "common" with "total", then sections "object 1" ... "object N" with
// "title", "command" and "location" (list files add "state").
#pragma once

#include <string>
#include <vector>

namespace kv {

struct ProfileRecord {
    std::string title;
    std::string command;
    std::string location;
    bool hasState = false; // list files: the record carries "state"
    int state = 0;         // non-zero: enabled
};

// One value of a profile file, whole, however long; `fallback` when missing.
std::string ReadProfileText(const std::string& path, const std::string& section,
                            const std::string& key, const std::string& fallback = std::string());

// "total" records through the profile functions; a missing key reads as empty
// text, a missing "total" as no records. Sections beyond "total" are ignored.
std::vector<ProfileRecord> ReadProfileRecords(const std::string& path, bool withState);

// The text to write so that the profile reader gives the value back exactly:
// it trims blanks around a value and drops one enclosing pair of quotes, so
// such a value is written inside one more pair of double quotes.
std::string QuoteForProfile(const std::string& value);

// The new text of a record file: "common" and "object 1".."object N" hold the
// records; the other sections of `oldText` (also records beyond N left by an
// earlier, longer write) are kept as they were when `keepOthers` is set.
std::string RecordFileText(const std::string& oldText, const std::vector<ProfileRecord>& records,
                           bool withState, bool keepOthers);

// Replaces the file with RecordFileText in one step: a new file is written in
// full beside it and then put in its place, so the file on disk is always
// either the old one or the new one. False when it could not be written.
bool WriteProfileRecords(const std::string& path, const std::vector<ProfileRecord>& records,
                         bool withState, bool keepOthers);

} // namespace kv
