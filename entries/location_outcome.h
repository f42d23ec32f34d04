// What a writer or remover did, for the caller to tell the user: the status
// text after the next refresh, and for some failures a message box.
#pragma once

#include <string>

namespace kv {

enum class OutcomeKind {
    None,       // nothing was done and nothing is to be said
    Created,    // "Сервис <name> был создан успешно"
    NotCreated, // "Сервис <name> не был создан"
    Removed,    // "Сервис <name> был удален успешно"
    NotRemoved, // "Не могу удалить сервис <name>. Возможно ..."
    // Refusals: nothing was touched.
    UnknownLocation, // the location string names no startup location (detail: the string)
    BadFileName,     // a Startup-folder entry whose name is not one file's name
    CannotBeKept, // "Сервис <name> нельзя отключить: его нельзя будет вернуть ..."
    NotExact,     // its name or path holds characters the code page cannot carry
    OnlySwitched, // a task: it stays where it is and is only switched on or off
};

enum class OutcomeBox {
    None,
    CantCreateValue,   // "Не могу создать <name> сервис", caption "Error"
    CantCreateSection, // "Не могу создать этот сервис. Введите более короткое имя секции ..."
};

struct LocationOutcome {
    OutcomeKind kind = OutcomeKind::None;
    std::string name;   // the value name, file name, or win.ini item the text names
    std::string detail; // UnknownLocation: the location string
    OutcomeBox box = OutcomeBox::None;

    bool succeeded() const { return kind == OutcomeKind::Created || kind == OutcomeKind::Removed; }
};

} // namespace kv
