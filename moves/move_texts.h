// The texts of moves: what a writer or remover did, why the store could not
// change, and the question before an entry of the same name is replaced.
#pragma once

#include "entries/location_outcome.h"
#include "entries/startup_entry.h"

#include <string>

namespace kv {

// The status-bar text of an outcome; empty for one that says nothing.
std::string OutcomeStatusText(const LocationOutcome& outcome);

// The string-table text to show when a change of the disabled store failed:
// why it could not be read whole, when that was the cause; that it would have
// grown too large to be read back, when the change was refused for that; else
// that it could not be written.
unsigned DisabledStoreFailureText();

// "Сервис <title> был включен" / "... был отключен".
std::string EnabledText(const StartupEntry& entry);
std::string DisabledText(const StartupEntry& entry);

// "Запуск программы <title> отложен на N с".
std::string DelayedText(const StartupEntry& entry);

// Put back, but Windows' own switch could not be turned on.
std::string SwitchNotOnText(const StartupEntry& entry);

// "В <location> уже есть программа <title>. Заменить её?"
std::string ReplaceQuestion(const StartupEntry& entry);

// "Программа <title> снова добавила себя в автозагрузку и была отключена".
std::string CameBackText(const StartupEntry& entry);

// The location no longer holds the entry the list shows.
std::string GoneText(const StartupEntry& entry);

} // namespace kv
