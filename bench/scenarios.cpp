#include "bench/scenarios.h"

#include "base/strings.h"
#include "bench/child_process.h"
#include "bench/cold_start.h"
#include "bench/delay_accuracy.h"
#include "bench/floor_list.h"
#include "bench/floors.h"
#include "bench/growth_child.h"
#include "bench/memory_child.h"
#include "bench/refresh_child.h"
#include "bench/refresh_floor.h"
#include "bench/sleepers.h"
#include "bench/startup_set.h"
#include "entries/catalogue.h"
#include "records/disabled_store.h"
#include "records/list_file.h"
#include "records/user_data_folder.h"
#include "shell/frame/app_state.h"
#include "bench/watch.h"
#include "shell/actions/change_check.h"
#include "shell/actions/entry_actions.h"
#include "shell/list/entry_list.h"
#include "shell/actions/list_files.h"
#include "shell/app/main_window.h"
#include "shell/actions/program_actions.h"
#include "shell/list/scan_driver.h"
#include "resource.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace kvbench {

namespace {

int UncheckedRows() {
    int unchecked = 0;
    for (int row = 0; row < kv::RowCount(); ++row) {
        unchecked += kv::RowUnchecked(row) ? 1 : 0;
    }
    return unchecked;
}

bool ListSortedByCommand() {
    std::string previous;
    for (int row = 0; row < kv::RowCount(); ++row) {
        const std::string command = kv::RowText(row, kv::kColumnCommand);
        if (row > 0 && std::strcmp(previous.c_str(), command.c_str()) > 0) {
            return false;
        }
        previous = command;
    }
    return true;
}

struct Medians {
    double program = 0;
    double floor = 0;
    double least = 0; // the least-work floor
};

// What the refresh floor found beside the program's list, to stderr, and
// whether it did the same work.
void CheckRefreshFloor(const std::string& name, const RefreshPlan& plan,
                       const RefreshFloorRun& last, const RefreshFloorRun& least, HWND floorList) {
    std::fprintf(stderr,
                 "%s: %d rows (%d disabled), %zu existence checks, %zu program files with "
                 "icons; floor: %d values, %d links, %d rows, %d checked\n",
                 name.c_str(), kv::RowCount(), UncheckedRows(), plan.probes.size(),
                 plan.iconFiles.size(), last.values, last.links, FloorRowCount(floorList),
                 FloorCheckedCount(floorList));
    for (const std::string& file : plan.iconFiles) {
        std::fprintf(stderr, "  program file: %s\n", file.c_str());
    }
    Expect(last.values == plan.expectedValues, name + ": floor read every registry value");
    Expect(last.links == plan.expectedLinks, name + ": floor loaded every shortcut");
    Expect(last.iconMismatches == 0, name + ": floor icons are the program's (" +
                                         std::to_string(last.iconMismatches) + " differ)");
    Expect(least.values == plan.expectedValues && least.links == plan.expectedLinks &&
               least.iconMismatches == 0,
           name + ": least floor read every value and shortcut, with the program's icons");
    Expect(last.manifests == plan.expectedManifests && least.manifests == plan.expectedManifests,
           name + ": floors parsed every package's manifest");
    std::fprintf(stderr, "%s: least floor lists %zu folders\n", name.c_str(), plan.folders.size());
    Expect(FloorRowCount(floorList) == kv::RowCount(), name + ": floor rows");
    Expect(FloorCheckedCount(floorList) == kv::RowCount() - UncheckedRows(),
           name + ": floor check boxes");
}

// The program's refresh and the floor's, in turns, after one untimed run of
// each on the same rows. Refreshes are sorted by title, as a first start
// sorts them.
Medians MeasureRefresh(const std::string& name, const Bench& bench) {
    kv::g_app.sortColumn = kv::kColumnTitle;
    kv::ScanDriver();
    const RefreshPlan plan = LearnRefresh(bench.floorFolder);
    FloorRefresh(bench.floorList, plan);
    LeastRefresh(bench.virtualFloorList, plan);
    std::vector<double> program;
    std::vector<double> floor;
    std::vector<double> leastFloor;
    RefreshFloorRun last;
    RefreshFloorRun least;
    for (int run = 0; run < kRuns; ++run) {
        const Clock::time_point start = Clock::now();
        kv::ScanDriver();
        program.push_back(Milliseconds(start));
        last = FloorRefresh(bench.floorList, plan);
        floor.push_back(last.milliseconds);
        least = LeastRefresh(bench.virtualFloorList, plan);
        leastFloor.push_back(least.milliseconds);
    }
    CheckRefreshFloor(name, plan, last, least, bench.floorList);
    return Medians{Median(program), Median(floor), Median(leastFloor)};
}

// The lines of a refresh: the program and its floor, and the least-work
// floor ("NAME-least") with the program's time over it.
Figures RefreshFigures(const std::string& name, const Medians& medians) {
    Figures figures = Beside(name, medians.program, medians.floor);
    figures.push_back(Time(name + "-least", medians.least));
    figures.push_back(Ratio(name + "-least", Quotient(medians.program, medians.least)));
    return figures;
}

// 2,000 entries over every kind of Run-type key, listed afresh.
Figures RefreshRegistry(Bench& bench) {
    FillRegistry(2000);
    const Medians medians = MeasureRefresh("refresh-registry", bench);
    Expect(kv::RowCount() == 2000, "refresh-registry: 2000 rows");
    return RefreshFigures("refresh-registry", medians);
}

// 200 installed packaged apps, 100 of them with a startup task, beside the
// 2,000 registry entries; the packages go again after.
Figures RefreshPackages(Bench& bench) {
    const std::string folder = bench.programFolder + "\\packages";
    Expect(FillPackages(200, 100, folder) == 200, "refresh-packages: 200 packages installed");
    const Medians medians = MeasureRefresh("refresh-packages", bench);
    Expect(kv::RowCount() == 2100, "refresh-packages: 2100 rows");
    ClearPackages();
    DeleteFolderTree(folder);
    return RefreshFigures("refresh-packages", medians);
}

// The header click on the command column of 2,400 rows (300 shortcuts and
// 100 win.ini items join the registry's), each run from the list as a
// refresh sorted it by title.
Figures SortByCommand(Bench& bench) {
    Expect(FillStartupFolders(300) == 300, "300 shortcuts made");
    Expect(FillWinIni(100) == 100, "100 win.ini items");
    std::vector<double> program;
    std::vector<double> floor;
    for (int run = 0; run < kRuns; ++run) {
        kv::g_app.sortColumn = kv::kColumnTitle;
        kv::ScanDriver();
        const std::vector<FloorRow> before = LearnRows();
        std::vector<std::string> keys;
        for (const FloorRow& row : before) {
            keys.push_back(row.command);
        }
        kv::g_app.sortColumn = kv::kColumnCommand;
        kv::g_app.sortAscending[kv::kColumnCommand] = true;
        const Clock::time_point start = Clock::now();
        kv::SortEntryList(kv::kColumnCommand);
        program.push_back(Milliseconds(start));
        FillFloorList(bench.floorList, before);
        floor.push_back(FloorSort(bench.floorList, keys));
        Expect(ListSortedByCommand(), "sort: the program's list is in command order");
        Expect(FloorSortedBy(bench.floorList, keys), "sort: the floor's list is in command order");
    }
    std::fprintf(stderr, "sort: %d rows\n", kv::RowCount());
    Expect(kv::RowCount() == 2400, "sort: 2400 rows");
    return Beside("sort", Median(program), Median(floor));
}

// Every location: the registry, the shortcuts, win.ini and 500 disabled
// entries in disable.ini. Its median is the change check's measure.
Figures RefreshAll(Bench& bench) {
    std::vector<kv::StartupEntry> disabled;
    for (int i = 0; i < 500; ++i) {
        kv::StartupEntry entry;
        entry.title = "Disabled " + std::to_string(i);
        entry.command = CommandFor(i);
        entry.location = (i % 2 == 0 ? "HKCU\\" : "HKLM\\") + std::string(kv::kRunKey);
        disabled.push_back(entry);
    }
    Expect(kv::WriteDisabledStore(disabled), "disable.ini written");
    const Medians medians = MeasureRefresh("refresh-all", bench);
    Expect(kv::RowCount() == 2900 && UncheckedRows() == 500,
           "refresh-all: 2900 rows, 500 of them disabled");
    bench.refreshAll = medians.program;
    bench.refreshAllLeast = medians.least;
    return RefreshFigures("refresh-all", medians);
}

// A change check with nothing changed: the set before, a refresh, the set
// after, the matching and the closing refresh. The timed check does this
// work without the two boxes that the manual check shows when it finds
// nothing. Set against one refresh of the same rows.
Figures ChangeCheck(Bench& bench) {
    std::vector<double> check;
    for (int run = 0; run < kRuns; ++run) {
        const Clock::time_point start = Clock::now();
        kv::CheckForChanges(kv::CheckMode::Timed);
        check.push_back(Milliseconds(start));
    }
    Expect(kv::RowCount() == 2900 && UncheckedRows() == 500, "check: the rows stay");
    const double median = Median(check);
    bench.check = median;
    return {Time("check", median), Ratio("check", Quotient(median, bench.refreshAll))};
}

// Kelvorin.exe copied beside the program's settings and store, so that a
// process of it reads the same as the program in this process.
std::string ProgramBesideSettings(const Bench& bench) {
    std::string folder = SelfPath();
    folder.erase(folder.rfind('\\'));
    const std::string program = bench.programFolder + "\\Kelvorin.exe";
    Expect(CopyFileA((folder + "\\Kelvorin.exe").c_str(), program.c_str(), FALSE) != FALSE,
           "Kelvorin.exe stands beside the benchmark");
    return program;
}

// The cold start over the 2,900 rows of refresh-all: from the start of the
// program's process to its window showing its rows, the start-up check
// (which finds nothing changed) included; beside a bare program (this one
// started with a switch) that makes the same reads and shows a virtual list
// of the same rows, timed the same way from outside. One untimed start of
// each first.
Figures ColdStart(Bench& bench) {
    kv::g_app.sortColumn = kv::kColumnTitle;
    kv::ScanDriver();
    ColdPlan plan;
    plan.refresh = LearnRefresh(bench.floorFolder);
    plan.settingsPath = bench.programFolder + "\\settings.ini";
    plan.snapshotPath = kv::UserDataFilePath(kv::UserDataFile::ChangeSnapshot);
    const std::string planPath = bench.floorFolder + "\\cold plan.txt";
    Expect(SaveColdPlan(planPath, plan), "cold-start: the bare program's plan written");
    const std::string program = "\"" + ProgramBesideSettings(bench) + "\"";
    const std::string bare = "\"" + SelfPath() + "\" --cold-floor \"" + planPath + "\"";
    const int rows = kv::RowCount();
    std::vector<double> starts;
    std::vector<double> bareStarts;
    for (int run = 0; run <= kRuns; ++run) {
        const double start = TimeUntilRowsShown(program, kv::kMainWindowClass, rows, true);
        const double bareStart = TimeUntilRowsShown(bare, kFloorWindowClass, rows, false);
        Expect(start >= 0 && bareStart >= 0, "cold-start: both windows showed their rows");
        if (run > 0) {
            starts.push_back(start);
            bareStarts.push_back(bareStart);
        }
    }
    std::fprintf(stderr, "cold-start: %d rows\n", rows);
    Expect(rows == 2900, "cold-start: 2900 rows");
    return Beside("cold-start", Median(starts), Median(bareStarts));
}

// "Kelvorin.exe /report FILE" over the same 2,900 entries, from the start of
// its process to its end; set against the least-work floor of refresh-all.
// Beside it, for what the platform adds: the same program started with a
// command line it refuses at once ("report-cli-process").
Figures ReportCli(Bench& bench) {
    const std::string program = ProgramBesideSettings(bench);
    const std::string report = bench.floorFolder + "\\report cli.txt";
    std::vector<double> times;
    std::vector<double> processes;
    for (int run = 0; run < kRuns; ++run) {
        DWORD refused = 0;
        const Clock::time_point processStart = Clock::now();
        RunToEnd("\"" + program + "\" /report", "report-cli", &refused, true);
        processes.push_back(Milliseconds(processStart));
        Expect(refused == 2, "report-cli: a command line without FILE is refused");
        DeleteFileA(report.c_str());
        DWORD exitCode = 1;
        const Clock::time_point start = Clock::now();
        RunToEnd("\"" + program + "\" /report \"" + report + "\"", "report-cli", &exitCode);
        times.push_back(Milliseconds(start));
        std::ifstream written(report, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(written)),
                               std::istreambuf_iterator<char>());
        Expect(exitCode == 0 && text.find("\r\n2900. ") != std::string::npos &&
                   text.find("\r\n2901. ") == std::string::npos,
               "report-cli: written, with 2900 entries");
    }
    const double median = Median(times);
    return {Time("report-cli", median), Time("report-cli-process", Median(processes)),
            Ratio("report-cli", Quotient(median, bench.refreshAllLeast))};
}

int RunningRows() {
    const std::string runningText = kv::LoadText(IDS_STATUS_RUNNING);
    int running = 0;
    for (int row = 0; row < kv::RowCount(); ++row) {
        running += kv::RowText(row, kv::kColumnStatus) == runningText ? 1 : 0;
    }
    return running;
}

// Running status over the registry rows, with some dozens of small
// processes of a few names running; some rows name them. Set against the
// plain rule.
Figures RunningStatus(Bench& bench) {
    ClearFoldersAndWinIni();
    DeleteFileA(bench.disabledStore.c_str());
    Sleepers sleepers = StartSleepers(bench.programFolder, 40);
    std::vector<std::string> names;
    std::vector<std::string> commands;
    for (std::size_t i = 0; i < 40; ++i) {
        names.push_back("Sleeper " + std::to_string(i));
        commands.push_back(sleepers.programs[i % sleepers.programs.size()] + " -x");
    }
    WriteStringValues(HKEY_CURRENT_USER, kv::kRunKey, names, commands);
    kv::ScanDriver();
    std::vector<double> literal;
    std::vector<double> mark;
    int literalMarks = 0;
    for (int run = 0; run < kRuns; ++run) {
        const Clock::time_point literalStart = Clock::now();
        literalMarks = MarkRunningLiterally();
        literal.push_back(Milliseconds(literalStart));
        const Clock::time_point markStart = Clock::now();
        kv::MarkRunningRows();
        mark.push_back(Milliseconds(markStart));
    }
    const int running = RunningRows();
    std::fprintf(
        stderr, "running-status: %d rows, %d sleepers, %d rows running, %d literal matches\n",
        kv::RowCount(), static_cast<int>(sleepers.processes.size()), running, literalMarks);
    Expect(running == 40, "running-status: 40 rows running");
    EndSleepers(sleepers);
    const double markMedian = Median(mark);
    const double literalMedian = Median(literal);
    return {Time("running-status", markMedian), Time("running-status-literal", literalMedian),
            Ratio("running-status", Quotient(literalMedian, markMedian))};
}

DWORD RunValueCount() {
    return ValueCount(HKEY_CURRENT_USER, kv::kRunKey);
}

// The times of one kind of "Отключить всё" and "Включить всё", one pair a run.
struct ToggleTimes {
    std::vector<double> disable;
    std::vector<double> enable;
    std::vector<double> disableRead; // the least floors only: each value read first
    std::vector<double> enableRead;  // the least floors only: each name looked for first
};

// The figures of one kind: "NAME" the program's, else "NAME-floor" and
// "NAME-least" beside the program's, and "NAME-least-read".
Figures ToggleFigures(const ToggleTimes& program, const ToggleTimes& floor,
                      const ToggleTimes& least) {
    Figures figures;
    for (const bool disable : {true, false}) {
        const std::string name = disable ? "disable-all" : "enable-all";
        const double time = Median(disable ? program.disable : program.enable);
        const double leastTime = Median(disable ? least.disable : least.enable);
        const Figures beside = Beside(name, time, Median(disable ? floor.disable : floor.enable));
        figures.insert(figures.end(), beside.begin(), beside.end());
        figures.push_back(Time(name + "-least", leastTime));
        figures.push_back(Ratio(name + "-least", Quotient(time, leastTime)));
        const double readTime = Median(disable ? least.disableRead : least.enableRead);
        figures.push_back(Time(name + "-least-read", readTime));
        figures.push_back(Ratio(name + "-least-read", Quotient(time, readTime)));
    }
    return figures;
}

// Rounds of the toggle scenario: more than the others', since each timing
// is a few milliseconds and the disk's flushes vary.
constexpr int kToggleRuns = 11;

// The program's "Отключить всё" and then "Включить всё", timed.
void ProgramToggles(ToggleTimes& program) {
    Settle();
    Clock::time_point start = Clock::now();
    kv::UncheckAllRows();
    program.disable.push_back(Milliseconds(start));
    Expect(UncheckedRows() == 500 && RunValueCount() == 0,
           "disable-all: every row disabled, every value gone");
    Settle();
    start = Clock::now();
    kv::CheckAllRows();
    program.enable.push_back(Milliseconds(start));
    Expect(UncheckedRows() == 0 && RunValueCount() == 500,
           "enable-all: every row enabled, every value back");
}

// The least-work floors, without and with the reads, each value back after.
void LeastToggles(const Bench& bench, const ToggleSet& toggles, ToggleTimes& least) {
    Settle();
    least.disable.push_back(FloorDisableLeast(toggles, bench.floorStore, bench.floorSnapshot));
    Expect(RunValueCount() == 0, "disable-all least floor: every value gone");
    Settle();
    least.enable.push_back(FloorEnableLeast(toggles, bench.floorStore, bench.floorSnapshot));
    Expect(RunValueCount() == 500, "enable-all least floor: every value back");
    Settle();
    least.disableRead.push_back(
        FloorDisableLeast(toggles, bench.floorStore, bench.floorSnapshot, true));
    Expect(RunValueCount() == 0, "disable-all least floor with reads: every value gone");
    Settle();
    least.enableRead.push_back(
        FloorEnableLeast(toggles, bench.floorStore, bench.floorSnapshot, true));
    Expect(RunValueCount() == 500, "enable-all least floor with reads: every value back");
}

// "Отключить всё" and then "Включить всё" over 500 registry entries. Each
// round times the program's pair and the least-work floors' (every value,
// and the store and the snapshot once each), the two in turn first. The old
// floors' (row by row, the store rewritten after each one) come after all
// of those: their thousands of flushes would slow the disk for the rounds
// that follow them.
Figures ToggleAll(Bench& bench) {
    ClearStartupRegistry();
    ClearFoldersAndWinIni();
    DeleteFileA(bench.disabledStore.c_str());
    const ToggleSet toggles = MakeToggleSet(kv::kRunKey, "Toggle ", 500);
    WriteStringValues(HKEY_CURRENT_USER, kv::kRunKey, toggles.names, toggles.data);
    kv::ScanDriver();
    Expect(kv::RowCount() == 500, "toggles: 500 rows");
    FillFloorList(bench.floorList, ToggleRows(toggles));
    ToggleTimes program;
    ToggleTimes floor;
    ToggleTimes least;
    for (int run = 0; run < kToggleRuns; ++run) {
        if (run % 2 == 0) {
            ProgramToggles(program);
            LeastToggles(bench, toggles, least);
        } else {
            LeastToggles(bench, toggles, least);
            ProgramToggles(program);
        }
    }
    for (int run = 0; run < kRuns; ++run) {
        Settle();
        floor.disable.push_back(
            FloorDisable(bench.floorList, toggles, bench.floorStore, bench.floorSnapshot));
        Expect(FloorCheckedCount(bench.floorList) == 0 && RunValueCount() == 0,
               "disable-all floor: every box cleared, every value gone");
        Settle();
        floor.enable.push_back(
            FloorEnable(bench.floorList, toggles, bench.floorStore, bench.floorSnapshot));
        Expect(FloorCheckedCount(bench.floorList) == 500 && RunValueCount() == 500,
               "enable-all floor: every box set, every value back");
    }
    return ToggleFigures(program, floor, least);
}

// 500 entries of HKCU's Run key, one in ten disabled.
std::vector<kv::StartupEntry> ListedEntries() {
    std::vector<kv::StartupEntry> listed;
    for (int i = 0; i < 500; ++i) {
        kv::StartupEntry entry;
        entry.title = "Listed " + std::to_string(i);
        entry.command = CommandFor(i);
        entry.location = "HKCU\\" + std::string(kv::kRunKey);
        entry.checked = i % 10 != 0;
        listed.push_back(entry);
    }
    return listed;
}

// A restore of a 500-entry list file over a different 500-entry set:
// every active entry leaves, every entry of the file comes back, and the
// store is right after each row's change. Each round first brings back
// the set the file replaces. The floor: 500 rows disabled and 500 enabled.
Figures Restore(Bench& bench) {
    const std::string listPath = bench.programFolder + "\\bench list.ini";
    Expect(kv::WriteListFile(listPath, ListedEntries()), "restore: list file written");
    const ToggleSet present = MakeToggleSet(kv::kRunKey, "Present ", 500);
    const ToggleSet comingBack = MakeToggleSet(kv::kRunKey, "Listed ", 500);
    const auto bringBackPresent = [&]() {
        ClearStartupRegistry();
        DeleteFileA(bench.disabledStore.c_str());
        WriteStringValues(HKEY_CURRENT_USER, kv::kRunKey, present.names, present.data);
    };
    std::vector<double> restore;
    std::vector<double> restoreFloor;
    for (int run = 0; run < kRuns; ++run) {
        bringBackPresent();
        kv::ScanDriver();
        const Clock::time_point start = Clock::now();
        const bool restored = kv::RestoreListFile(listPath);
        restore.push_back(Milliseconds(start));
        Expect(restored && kv::RowCount() == 500 && UncheckedRows() == 50 && RunValueCount() == 450,
               "restore: 500 rows, 50 of them disabled");
        bringBackPresent();
        FillFloorList(bench.floorList, ToggleRows(present));
        restoreFloor.push_back(
            FloorDisable(bench.floorList, present, bench.floorStore, std::string()) +
            FloorEnable(bench.floorList, comingBack, bench.floorStore, std::string()));
        Expect(RunValueCount() == 500 && FloorCheckedCount(bench.floorList) == 500,
               "restore floor: the other 500 values in place");
    }
    return Beside("restore", Median(restore), Median(restoreFloor));
}

// The registry refresh of 20,000 entries over that of 2,000, each timed in
// a process of its own: 10 for a refresh whose every step grows with the
// rows and no faster.
Figures Growth20000(Bench& bench) {
    const double small = RefreshTimeInChild(2000, bench.programFolder);
    const double large = RefreshTimeInChild(20000, bench.programFolder);
    return {Time("refresh-registry-2000", small), Time("refresh-registry-20000", large),
            Ratio("growth-20000", Quotient(large, small))};
}

// What 100 refreshes and 20 bulk changes leave behind, in a process of its
// own.
Figures Growth(Bench& bench) {
    return GrowthInChild(bench.programFolder);
}

// The working set after listing 10,000 registry entries, beside that of a
// bare virtual list of the same rows.
Figures Memory(Bench& bench) {
    const unsigned long long program = MeasureMemoryInChild(bench.programFolder, false);
    const unsigned long long floor = MeasureMemoryInChild(bench.programFolder, true);
    return {Megabytes("memory-10000-rows", program), Megabytes("memory-10000-rows-floor", floor)};
}

} // namespace

const std::vector<Scenario>& WindowScenarios() {
    static const std::vector<Scenario> scenarios = {
        RefreshRegistry, RefreshPackages, SortByCommand, RefreshAll,    ChangeCheck,
        DelayAccuracy,   WatchLatency,    WatchIdle,     ColdStart,     ReportCli,
        RunningStatus,   ToggleAll,       Restore,
    };
    return scenarios;
}

const std::vector<Scenario>& ChildScenarios() {
    static const std::vector<Scenario> scenarios = {Growth20000, Memory, Growth};
    return scenarios;
}

} // namespace kvbench
