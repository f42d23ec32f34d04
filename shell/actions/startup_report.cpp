#include "shell/actions/startup_report.h"

#include "base/strings.h"
#include "base/test_seams.h"
#include "base/text.h"
#include "entries/command_path.h"
#include "records/disabled_store.h"
#include "records/profile_records.h"
#include "records/user_data_folder.h"
#include "shell/frame/app_state.h"
#include "shell/list/entry_list.h"
#include "shell/frame/message_boxes.h"
#include "shell/list/scan_driver.h"
#include "resource.h"

#include <shellapi.h>

#include <functional>

namespace kv {

namespace {

std::string g_folderForTests;
std::function<void(const std::string&)> g_printerForTests;

const char* const kReportName = "StartUp List.txt";

void AddLine(std::string& text, const std::string& line) {
    text += line;
    text += "\r\n";
}

// A name the system gives; empty when it cannot be read.
std::string SystemName(BOOL(WINAPI* query)(LPSTR, LPDWORD)) {
    std::vector<char> buffer(260);
    DWORD size = static_cast<DWORD>(buffer.size());
    if (!query(buffer.data(), &size)) {
        if (size <= buffer.size()) {
            return std::string();
        }
        buffer.resize(size);
        if (!query(buffer.data(), &size)) {
            return std::string();
        }
    }
    return std::string(buffer.data());
}

BOOL WINAPI ComputerName(LPSTR buffer, LPDWORD size) {
    return GetComputerNameA(buffer, size);
}

BOOL WINAPI UserName(LPSTR buffer, LPDWORD size) {
    return GetUserNameA(buffer, size);
}

std::vector<ReportRow> RowsOfList() {
    std::vector<ReportRow> rows;
    const int count = RowCount();
    for (int row = 0; row < count; ++row) {
        const StartupEntry texts = RowTexts(row);
        rows.push_back({texts.title, texts.command, texts.location, RowBoxSet(row), RowDelay(row)});
    }
    return rows;
}

void Print(const std::string& path) {
    if (g_printerForTests) {
        g_printerForTests(path);
        return;
    }
    SHELLEXECUTEINFOA print{};
    print.cbSize = sizeof(print);
    print.fMask = SEE_MASK_INVOKEIDLIST;
    print.lpVerb = "print";
    print.lpFile = path.c_str();
    ShellExecuteExA(&print);
}

} // namespace

UINT SystemLineText(DWORD major, DWORD minor, DWORD platform) {
    if (major == 4 && minor == 0) {
        return platform == VER_PLATFORM_WIN32_NT ? IDS_OS_NT4 : IDS_OS_95;
    }
    if (major == 4 && minor == 10) {
        return IDS_OS_98;
    }
    if (major == 4 && minor == 90) {
        return IDS_OS_ME;
    }
    if (major == 3 && minor == 51) {
        return IDS_OS_NT351;
    }
    if (major == 5 && minor == 0) {
        return IDS_OS_2000;
    }
    if (major == 5 && minor == 1) {
        return IDS_OS_XP;
    }
    return IDS_OS_UNKNOWN;
}

std::string ReportDateText(const SYSTEMTIME& time) {
    return std::to_string(time.wDay) + "." + std::to_string(time.wMonth) + "." +
           std::to_string(time.wYear) + " " + std::to_string(time.wHour) + ":" +
           std::to_string(time.wMinute) + ":" + std::to_string(time.wSecond);
}

std::string StartupReportText(const ReportWords& words, const std::string& computer,
                              const std::string& user, const std::vector<ReportRow>& rows,
                              const SYSTEMTIME& time) {
    std::string text;
    AddLine(text, words.system);
    AddLine(text, words.computerLabel + computer);
    AddLine(text, words.userLabel + user);
    AddLine(text, words.equals);
    AddLine(text, words.dashes);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ReportRow& row = rows[i];
        AddLine(text, std::to_string(i + 1) + ". " + row.title);
        AddLine(text, row.command);
        AddLine(text, row.location);
        if (row.delaySeconds > 0) {
            AddLine(text, words.enabled + words.delayedHead + std::to_string(row.delaySeconds) +
                              words.delayedTail);
        } else {
            AddLine(text, row.enabled ? words.enabled : words.disabled);
        }
        AddLine(text, std::string());
        AddLine(text, words.dashes);
    }
    AddLine(text, words.equals);
    AddLine(text, words.generated + " " + ReportDateText(time));
    return text;
}

ReportWords LoadReportWords() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    ReportWords words;
    words.system = LoadText(
        SystemLineText(version.dwMajorVersion, version.dwMinorVersion, version.dwPlatformId));
    words.computerLabel = LoadText(IDS_RPT_COMPUTER);
    words.userLabel = LoadText(IDS_RPT_USER);
    words.equals = LoadText(IDS_RPT_EQUALS);
    words.dashes = LoadText(IDS_RPT_DASHES);
    words.generated = LoadText(IDS_RPT_GENERATED);
    words.enabled = LoadText(IDS_RPT_ENABLED);
    words.disabled = LoadText(IDS_RPT_DISABLED);
    words.delayedHead = LoadText(IDS_RPT_DELAYED);
    words.delayedTail = LoadText(IDS_DELAY_SECONDS);
    return words;
}

std::string StartupReportNow(const std::vector<ReportRow>& rows) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return StartupReportText(LoadReportWords(), SystemName(ComputerName), SystemName(UserName),
                             rows, now);
}

bool WriteReportFile(const std::string& path, const std::string& text) {
    return ReplaceFileWhole(path, text, false);
}

void PrintStartupReport() {
    if (MessageBoxA(g_app.mainWindow, LoadText(IDS_ASK_PRINT).c_str(), "Kelvorin", MB_YESNO) !=
        IDYES) {
        return;
    }
    const std::string text = StartupReportNow(RowsOfList());
    // A user who may not write into the Windows folder gets the report in
    // his own data folder; an older report is never printed in its place.
    const std::string windows = g_folderForTests.empty() ? WindowsDirectory() : g_folderForTests;
    for (const std::string& folder : {windows, UserDataFolderPath()}) {
        const std::string path = folder + "\\" + kReportName;
        if (WriteReportFile(path, text)) {
            Print(path);
            return;
        }
    }
    ShowError(LoadText(IDS_REPORT_NOT_WRITTEN) + windows);
}

int WriteReportForScripts(const std::string& file) {
    if (file.empty()) {
        return 2;
    }
    std::vector<ReportRow> rows;
    for (const StartupEntry& entry : ReadStartupSet()) {
        // A delayed entry waits in the store but will start: it counts as
        // enabled.
        rows.push_back({entry.title, entry.command, entry.location,
                        (entry.checked && !entry.switchedOff) || entry.delaySeconds > 0,
                        entry.delaySeconds});
    }
    // A report without the disabled entries it could not read would pass
    // for the whole set.
    if (!DisabledStoreMayChange()) {
        return 4;
    }
    return WriteReportFile(file, StartupReportNow(rows)) ? 0 : 3;
}

void SetReportFolderForTests(const std::string& folder) {
    g_folderForTests = folder;
}

void SetReportPrinterForTests(std::function<void(const std::string&)> print) {
    g_printerForTests = std::move(print);
}

} // namespace kv
