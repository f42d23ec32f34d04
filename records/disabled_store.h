// disable.ini: the entries that are temporarily out of their locations, each
// with what its location held (see entry_records.h), and the folder where the
// files of disabled Startup-folder entries wait.
#pragma once

#include "entries/startup_entry.h"
#include "records/profile_records.h"

#include <string>
#include <vector>

namespace kv {

// The records of the store that name an entry (none of the three texts
// missing, and a location), in the file's order, unchecked, with what each
// record keeps.
std::vector<StartupEntry> ReadDisabledEntries();

// ReadDisabledEntries without a copy: valid until the next read or write of
// the store. The store is kept in memory as it was last read or written, and
// read again only when the file on disk has changed since (its size or time).
const std::vector<StartupEntry>& CurrentDisabledEntries();

// How the store was last read or written. Whole or Missing (an empty store):
// it may be changed. TooLarge or Unreadable: it could not be read whole, the
// entries read are none, and every change of the store (write, insert, erase,
// update) is refused, leaving the file as it is, until a later reading reads
// it whole.
FileRead DisabledStoreRead();
// False while DisabledStoreRead says the store could not be read whole.
bool DisabledStoreMayChange();

// True when the last change of the store (write, insert, erase, update) was
// refused because the store would have grown larger than a reading takes
// whole (kMaxStoredFileSize): the file was left as it is, and later changes
// that keep it within that size go on as before.
bool DisabledStoreRefusedAsTooLarge();

// True while the file on disk is this program's last write of the store,
// one record for each entry it was given.
bool DisabledStoreIsOwnWrite();

// ReadDisabledEntries with the icon each row shows: that of the program file
// its command starts (kIconOfCommand), as the list shows them.
std::vector<StartupEntry> ReadDisabledStore();

// ReadDisabledStore without the entries that are in their locations as well
// (an entry of `active` with the same three texts): an end of the program
// between an entry's two moves leaves it in both places, and it belongs where
// it is active. With `dropRecords`, their records leave the store and the
// copies of files they kept are discarded, so that the store again matches
// the list.
std::vector<StartupEntry> ReadDisabledStoreBeside(const std::vector<StartupEntry>& active,
                                                  bool dropRecords);

// Rewrites the store from these entries, in this order, with what each keeps.
// False when the file could not be written, or was refused (see
// DisabledStoreRead); the old store is then still whole.
bool WriteDisabledStore(const std::vector<StartupEntry>& disabled);

// WriteDisabledStore of the stored entries with `entry` put in at `index`,
// or with the entry at `index` taken out. When the file is still as this
// program last wrote it, only the changed record is made anew.
bool InsertDisabledEntry(std::size_t index, const StartupEntry& entry);
bool EraseDisabledEntry(std::size_t index);

// Changes the record whose three texts equal the old ones (ignoring the case
// of A-Z), or appends the new texts as a last record when none does. The
// changed record no longer keeps a value or a file: they belonged to the old
// texts. A delayed record keeps its delay.
bool UpdateDisabledRecord(const std::string& oldTitle, const std::string& oldCommand,
                          const std::string& oldLocation, const std::string& newTitle,
                          const std::string& newCommand, const std::string& newLocation);

// The folder "disabled" in the user's data folder, made when missing.
std::string KeptFilesFolder();

// A path in the folder for a file of this name that no file holds yet: the
// name itself, or the name with " (2)", " (3)", ... before its extension.
std::string UnusedFilePath(const std::string& folder, const std::string& fileName);

// UnusedFilePath in the kept-files folder: where a copy of a disabled
// Startup-folder file waits.
std::string NewKeptFilePath(const std::string& fileName);

// Deletes a kept copy; a path outside the kept-files folder is left alone.
void DiscardKeptFile(const std::string& path);

} // namespace kv
