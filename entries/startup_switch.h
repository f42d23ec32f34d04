// Windows' own startup switch: Task Manager and Settings turn an entry of
// some locations off without moving it, with a value named after the entry
// (a Startup-folder file: its file name with the extension) under the key
// Explorer\StartupApproved. The value is REG_BINARY: bytes 0-3 a state, 4-11
// when it was turned off. An odd first byte means off; anything else (an
// even one, no value, another type, no bytes) means on.
#pragma once

#include "entries/catalogue.h"
#include "entries/startup_entry.h"

#include <windows.h>

#include <set>
#include <string>

namespace kv {

// Explorer\StartupApproved (below HKCU and HKLM): the keys of every switch.
extern const char* const kStartupApprovedKey;

// Where the switches of a location's entries are: the root and the key path
// (always in the 64-bit view). Empty key path: the location has no switch
// (RunOnce, RunOnceEx, the policy keys, subkeys, win.ini).
struct SwitchKey {
    HKEY root = nullptr;
    std::string keyPath;
};
SwitchKey SwitchKeyOf(const LocationClass& place);

// The switch's value says off.
bool SwitchSaysOff(unsigned long type, const std::string& bytes);

// The value's bytes turned on: bit 0 of byte 0 cleared (its other bits and
// bytes 1-3 kept), bytes 4-11 (the time it was turned off) zeroed.
std::string SwitchTurnedOn(const std::string& bytes);

// The value's bytes turned off: bit 0 of byte 0 set (a value too short for
// a state and a time is made one: 03 00 00 00), bytes 4-11 the time it was
// turned off (`when`, a FILETIME as a number); bytes past 12 kept.
std::string SwitchTurnedOff(const std::string& bytes, unsigned long long when);

// Every switch that says off, read once: by switch key path (lower-cased,
// with its root) and value name (lower-cased, as the registry compares them).
class SwitchedOffEntries {
  public:
    // Reads the five switch keys.
    static SwitchedOffEntries Read();
    bool empty() const { return off_.empty(); }
    bool Contains(const LocationClass& place, const std::string& title) const;
    // The entry's switch, by its exact name when it has one (else by its
    // title): a name shown with "?" never stands for another one.
    bool Contains(const LocationClass& place, const StartupEntry& entry) const;

  private:
    std::set<std::string> off_;
    // The switches whose names the code page cannot carry, by their exact
    // names (upper-cased, as the registry compares them).
    std::set<std::wstring> offExact_;
};

// Turns the entry's switch on when it says off; true when it is on now (also
// when the location has no switch or the entry none).
bool TurnSwitchOn(const std::string& title, const LocationClass& place);
// The same for an entry as the list holds it: its switch is named by the
// entry's exact name (a value's name, a Startup-folder file's name) when it
// has one, through the wide calls, else by its title.
bool TurnSwitchOn(const StartupEntry& entry);

// Turns the switch of an entry as the list holds it off (by its exact name,
// as above); true when it says off now. False for a location without a
// switch.
bool TurnSwitchOff(const StartupEntry& entry);

// Deletes the entry's switch value, so that it cannot turn off a later entry
// of the same name; true when none is left.
bool DeleteSwitch(const std::string& title, const LocationClass& place);
// The same for an entry as the list holds it, by its exact name as above.
bool DeleteSwitch(const StartupEntry& entry);

} // namespace kv
