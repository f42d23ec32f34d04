// The startup report: the list as a plain text, printed through the shell or
// written for scripts ("Kelvorin.exe /report FILE").
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kv {

struct ReportRow {
    std::string title;
    std::string command;
    std::string location;
    bool enabled = true;
    int delaySeconds = 0; // a delayed start: its status says the delay
};

// The texts of the report that come from the string table.
struct ReportWords {
    std::string system;        // "Система: ..." of this Windows version
    std::string computerLabel; // "Имя компьютера: "
    std::string userLabel;     // "Пользователь: "
    std::string equals;        // 70 "="
    std::string dashes;        // 70 "-"
    std::string generated;     // "Сгенерировано программой Kelvorin"
    std::string enabled;       // "Сервис включен"
    std::string disabled;      // "Сервис отключен"
    std::string delayedHead;   // ", запуск отложен на " after `enabled`
    std::string delayedTail;   // " с" after the seconds
};

// The string-table entry of the system line for a Windows version.
UINT SystemLineText(DWORD major, DWORD minor, DWORD platform);

// Day, month, year, then hour, minute, second: "5.3.2003 9:7:5".
std::string ReportDateText(const SYSTEMTIME& time);

// The whole report: the header, one block per row in the given order, and
// the closing line; every line ends with CR LF. Texts are whole. A delayed
// row's status line begins as an enabled row's does and adds its delay, so
// that a script reading the status still finds it enabled.
std::string StartupReportText(const ReportWords& words, const std::string& computer,
                              const std::string& user, const std::vector<ReportRow>& rows,
                              const SYSTEMTIME& time);

// The words of this system, from the string table.
ReportWords LoadReportWords();

// The report of these rows now, with this computer's and user's names.
std::string StartupReportNow(const std::vector<ReportRow>& rows);

// Writes the text whole to the path: a new file beside it put in its place
// in one step. False, and nothing left behind, when it cannot be written.
bool WriteReportFile(const std::string& path, const std::string& text);

// "Напечатать список": asks, writes the report of the list as it is shown
// into the Windows folder (or, when that cannot be written, into the user's
// data folder) and hands it to the shell's print verb.
void PrintStartupReport();

// Writes the report of the current startup set (its locations and the
// disabled store, in the order a first refresh shows them) to the file,
// without a window; the exit code: 0 written, 2 no file named, 3 not written,
// 4 the disabled store could not be read whole (nothing written).
int WriteReportForScripts(const std::string& file);

} // namespace kv
