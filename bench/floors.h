// Floors: each makes the platform calls of one operation directly, on data
// learned beforehand (which keys, files and rows there are), and returns the
// time of those calls alone. The refresh floor has a file of its own.
#pragma once

#include "bench/floor_list.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace kvbench {

// One record of a record file, as the program writes it.
std::string RecordText(std::size_t number, const std::string& title, const std::string& command,
                       const std::string& location);

// The records of a record file: the text of the first k of them is Text(k).
struct RecordTexts {
    std::string body;              // every record, in order
    std::vector<std::size_t> ends; // ends[k]: where record k ends in the body
    std::string Text(std::size_t count) const;
};
RecordTexts MakeRecordTexts(const std::vector<FloorRow>& rows);

// The whole-file replacement of the record files: the new text written in
// full beside the file and flushed, then moved over it, through to the disk.
bool ReplaceWhole(const std::string& path, const std::string& text);

// ---- the sort floor ----

// The rows of the list (filled with item data = index into `keys`) sorted
// by the list itself with a plain comparison of their keys; the time taken.
double FloorSort(HWND list, const std::vector<std::string>& keys);
bool FloorSortedBy(HWND list, const std::vector<std::string>& keys);

// ---- the toggle floors ----

// Registry values of one key, as rows of a list and records of a store.
struct ToggleSet {
    HKEY root = HKEY_CURRENT_USER;
    std::string keyPath;
    std::vector<std::string> names;
    std::vector<std::string> data; // REG_SZ text
    RecordTexts records;           // one record per value, in the same order
};

// `count` values of the key named prefix + number, with mixed commands.
ToggleSet MakeToggleSet(const std::string& keyPath, const std::string& prefix, int count);
std::vector<FloorRow> ToggleRows(const ToggleSet& set);

// The toggle floors rewrite a store of the whole set's size each time: the
// program's store keeps the records beyond "total" that a shorter rewrite
// leaves, so once the set has been disabled whole it stays that size.

// Rows unchecked one at a time: each value deleted, the store rewritten
// whole, the snapshot (when a path is given) rewritten without the row, the
// box cleared. The time taken.
double FloorDisable(HWND list, const ToggleSet& set, const std::string& storePath,
                    const std::string& snapshotPath);
// Rows checked one at a time: the snapshot (when a path is given) rewritten
// with the row, each value written, the store rewritten whole, the box set.
// The time taken.
double FloorEnable(HWND list, const ToggleSet& set, const std::string& storePath,
                   const std::string& snapshotPath);

// The least work of "Отключить всё" and "Включить всё": every value deleted
// (or written) and one durable whole replacement of the store and one of the
// snapshot (when a path is given). With `readEach`, every value is read
// first: a program that keeps what it removes must read it, and one that
// replaces no entry of the same name unasked must look for one. The time
// taken.
double FloorDisableLeast(const ToggleSet& set, const std::string& storePath,
                         const std::string& snapshotPath, bool readEach = false);
double FloorEnableLeast(const ToggleSet& set, const std::string& storePath,
                        const std::string& snapshotPath, bool readEach = false);

// ---- the running status as the plain rule states it ----

// Every process against every row of the program's list, the row's command
// resolved again for each comparison; the number of matches.
int MarkRunningLiterally();

} // namespace kvbench
