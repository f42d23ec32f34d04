// Who an entry is: its location and its exact name. Two rows, records or
// values with the same location and name are one entry, whatever their
// commands say; every move finds an entry in its location by this identity.
#pragma once

#include "entries/catalogue.h"
#include "entries/startup_entry.h"

#include <string>

namespace kv {

// The locations whose entries are registry values: a Run-type key, a subkey
// of one, or a RunOnceEx section.
bool IsRegistryKind(LocationKind kind);

// The tasks: entries that stay where they are and are only switched on or
// off; they are never taken out, written, edited or deleted.
bool IsTaskKind(LocationKind kind);

// The locations whose entries may be delayed (taken out and started by this
// program after logon): a Run key of HKLM or HKCU, the 32-bit view's Run
// key, or a Startup folder. Not RunOnce, RunOnceEx, RunServices, the policy
// keys, subkeys, win.ini or tasks: Windows starts those once, elsewhere, or
// at another time, so starting them later would change what they do.
bool MayBeDelayed(const LocationClass& where);

// The name of the value or file: its exact name where the code page cannot
// carry it, else its title.
std::wstring ExactNameOf(const StartupEntry& entry);

// The same entry: the same location string and the same exact name, both
// compared as the registry and the file system compare them (without regard
// to letter case). win.ini items are named by their item (the command).
bool SameIdentity(const StartupEntry& a, const StartupEntry& b);

} // namespace kv
