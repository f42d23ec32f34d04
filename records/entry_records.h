// Entries as records of the profile record layout, with what a record keeps
// beyond the three texts: "type" (a registry value's type, when it is not
// REG_SZ or the value has an exact name), "data" (the value's bytes in hexadecimal, when they are not the
// command and its terminating zero) and "link" (the name of a kept copy of a
// Startup-folder file) and "delay" (the seconds of a delayed start, 1 to
// kMaxDelaySeconds). A record without them means what it always meant: a
// reader that does not know "delay" sees a disabled entry.
#pragma once

#include "entries/startup_entry.h"
#include "records/profile_records.h"

#include <string>
#include <vector>

namespace kv {

// The record of an entry: its texts and what it keeps (a kept file by its
// name alone).
ProfileRecord RecordOfEntry(const StartupEntry& entry);

// The entry of a record, with what it keeps; a kept file is looked for in
// `keptFolder`. What the record keeps is used only where it agrees with its
// texts: "data" whose bytes, as text up to the first zero byte, are the
// command; "type" with such data, or without data (the command is then the
// value's text); "link" that is one file's name and belongs to the title (see
// KeptNameBelongsTo); "delay" that is a whole number from 1 to
// kMaxDelaySeconds. Other such keys are ignored.
StartupEntry EntryOfRecord(const ProfileRecord& record, const std::string& keptFolder);

// True when a kept file of this name can be the copy of a Startup-folder file
// named `title`: the title itself, or the title with " (n)" before its
// extension, n from 2 on, as the kept-files folder names copies.
bool KeptNameBelongsTo(const std::string& name, const std::string& title);

// True when the two entries have the same title, command and location.
bool SameTexts(const StartupEntry& a, const StartupEntry& b);

// For each entry, whether `others` holds one with the same three texts.
std::vector<bool> TextsFoundIn(const std::vector<StartupEntry>& entries,
                               const std::vector<StartupEntry>& others);

// The rows with what the stored entries keep: each row takes the kept form of
// the first entry with the same three texts that no earlier row took, of
// `stored` and then of `storedAfter`, and its delay; a row that finds none
// keeps nothing and is not delayed.
std::vector<StartupEntry> WithKeptForms(std::vector<StartupEntry> rows,
                                        const std::vector<StartupEntry>& stored,
                                        const std::vector<StartupEntry>& storedAfter = {});

} // namespace kv
