// The record layout shared by disable.ini, report.ini and saved list files:
// section "common" with "total", then sections "object 1" ... "object N" with
// "title", "command" and "location" (list files add "state").
//
// A text that no profile value can carry as it is (an empty one, which older
// readers take for a missing key, or one with a line break, which would end
// the line) is written twice: readably under its own key, with line breaks
// as blanks, and exactly, in hexadecimal, under the key with ".hex" added
// ("title.hex"). Readers that do not know the ".hex" keys ignore them.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace kv {

struct ProfileRecord {
    long long number = 0; // k of "object k"; 0 for a record not read from a file
    std::string title;
    std::string command;
    std::string location;
    // Every text is as the record meant it: empty only where the record says
    // exactly that it is empty. A record that is not whole lacks a key.
    bool whole = true;
    // The record's further keys, by lower-cased name (the first of a name
    // wins), written after the three texts.
    std::map<std::string, std::string> extra;
    bool hasState = false; // list files: the record carries "state"
    int state = 0;         // non-zero: enabled
};

// How reading a stored file went. A file is read whole or not at all: a file
// read in part is never taken for its content.
enum class FileRead {
    Whole,      // read to its end
    Missing,    // no such file (or folder on its path)
    TooLarge,   // larger than kMaxStoredFileSize: not read
    Unreadable, // it is there but could not be opened or read to its end
};

// The largest stored file that is read (64 MB): far beyond any real store or
// list, and small enough to read into memory at once.
const unsigned long long kMaxStoredFileSize = 64ull * 1024 * 1024;

struct RecordFile {
    FileRead read = FileRead::Missing;
    bool exists = false; // read whole
    long long total = 0; // what "total" claims: 0 when it is missing or no number
    // The sections "object 1" to "object total" that the file holds, in
    // number order; numbers the file lacks are not there, so reading costs
    // what the file holds, whatever "total" claims.
    std::vector<ProfileRecord> records;
};

// Reads the whole file in one pass, by the rules of the profile functions.
RecordFile ReadRecordFile(const std::string& path, bool withState);

// The records of a file's whole text, as ReadRecordFile reads them.
RecordFile RecordsOfText(const std::string& text, bool withState);

// ReadRecordFile's records.
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

// One section of a profile file's text: its lower-cased name, its record
// number (0 when it is not "object k"), and where its header line, its
// first line after the header and its end lie in the text.
struct ProfileTextSection {
    std::string name;
    long long number = 0;
    std::size_t begin = 0;
    std::size_t bodyBegin = 0;
    std::size_t end = 0;
};

// The sections of a text as the profile reader finds them; lines before the
// first section belong to none.
std::vector<ProfileTextSection> ProfileTextSections(const std::string& text);

// Appends the section's lines from `from`, each ended by CR LF, as a
// rewrite keeps them.
void AppendSectionLines(std::string& text, const std::string& from,
                        const ProfileTextSection& section);

// Appends the lines of one record, without its section line.
void AppendRecordBody(std::string& text, const ProfileRecord& record, bool withState);

// Writes the text as the whole new content of the file: a new file is
// written in full beside it, under a name no other file of that folder has
// (it is made exclusively), and then put in its place, so the file on disk is
// always either the old one or the new one; with `writeThrough` both are on
// the disk before it returns. No other file is touched. False, and nothing
// left behind, when it cannot.
bool ReplaceFileWhole(const std::string& path, const std::string& text, bool writeThrough);

// Replaces the file with RecordFileText in one step: a new file is written in
// full beside it and then put in its place, so the file on disk is always
// either the old one or the new one. False when it could not be written, and
// when `keepOthers` asks for the old file's other sections but the old file is
// there and could not be read whole (rewritten, the rest would be lost).
// `oldText`, when given, is the file's present content, so it need not be
// read again.
bool WriteProfileRecords(const std::string& path, const std::vector<ProfileRecord>& records,
                         bool withState, bool keepOthers, const std::string* oldText = nullptr);

// The whole file as bytes, when it is read whole; `text` is left empty
// otherwise. A file in UTF-8 or UTF-16 with its byte-order mark is turned into
// the system code page, as the profile functions read it.
FileRead ReadProfileFile(const std::string& path, std::string& text);

} // namespace kv
