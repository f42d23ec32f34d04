#include "shell/app/delayed_starts_run.h"

#include "base/strings.h"
#include "entries/command_path.h"
#include "entries/delayed_start_run.h"
#include "entries/delayed_starts.h"
#include "entries/entry_identity.h"
#include "entries/processes.h"
#include "moves/own_autostart.h"
#include "records/disabled_store.h"
#include "records/entry_records.h"
#include "records/settings_store.h"
#include "shell/frame/app_state.h"
#include "shell/frame/message_boxes.h"
#include "shell/frame/outcome_report.h"
#include "shell/frame/tray.h"
#include "shell/list/entry_rows.h"
#include "shell/list/scan_driver.h"
#include "shell/list/status_bar.h"
#include "resource.h"

#include <windows.h>

#include <algorithm>
#include <unordered_set>
#include <vector>

namespace kv {

namespace {

// The entries delayed when the starts began, each started (or skipped)
// once at most.
struct DelayedStarts {
    bool waiting = false;
    unsigned long long originTick = 0;
    long long lastStartMs = kNoStartYet;
    std::vector<StartupEntry> entries;
    std::vector<bool> done;
};

DelayedStarts g_starts;

long long NowMs() {
    return static_cast<long long>(GetTickCount64() - g_starts.originTick);
}

// Whether a process of the program the command starts runs now, by the rule
// the list's running status follows.
bool ProgramRuns(const std::string& command, const std::unordered_set<std::string>& running) {
    if (command.empty() || running.empty()) {
        return false;
    }
    return running.count(ProgramName(ResolveProgramFile(command))) != 0;
}

std::string FailureText(const StartupEntry& entry, unsigned long error) {
    const std::string reason = SystemErrorText(error);
    return LoadText(IDS_DELAYED_START_FAILED) + entry.title + (reason.empty() ? "" : ": ") +
           reason + LoadText(IDS_DELAYED_START_CODE) + std::to_string(error) + ")";
}

void Start(const StartupEntry& entry) {
    const unsigned long error = StartDelayedEntry(entry);
    if (error != 0) {
        // It stays delayed: the next logon tries again.
        const std::string text = FailureText(entry, error);
        ShowStatusText(text);
        ShowTrayBalloon(text);
    }
}

// One turn: the store read again, the start that is due made, the entries
// whose turn came while their programs run passed over; then the timer for
// the next turn, or the end of the starts.
void Turn() {
    HWND window = g_app.mainWindow;
    if (window != nullptr) {
        KillTimer(window, KV_DELAY_TIMER);
    }
    if (!g_starts.waiting || window == nullptr) {
        g_starts.waiting = false;
        return;
    }
    // What the store holds now of each entry still waiting: its delay may
    // have changed, or it may be delayed no longer.
    const std::vector<StartupEntry> stored = ReadDisabledEntries();
    // An entry that is back in its location as well was started there by
    // Windows: it is not started a second time.
    const std::vector<StartupEntry> active = RowsOfKind(RowKind::Enabled);
    std::vector<std::size_t> waiting;
    std::vector<StartupEntry> current;
    for (std::size_t i = 0; i < g_starts.entries.size(); ++i) {
        if (g_starts.done[i]) {
            continue;
        }
        const auto found = std::find_if(stored.begin(), stored.end(), [&](const StartupEntry& e) {
            return e.delaySeconds > 0 && SameTexts(e, g_starts.entries[i]);
        });
        const bool inLocation =
            std::any_of(active.begin(), active.end(), [&](const StartupEntry& e) {
                return SameIdentity(e, g_starts.entries[i]);
            });
        if (found == stored.end() || inLocation) {
            g_starts.done[i] = true;
            continue;
        }
        waiting.push_back(i);
        current.push_back(*found);
    }
    const std::unordered_set<std::string> running =
        g_app.ProcessListAvailable ? RunningProcessNames() : std::unordered_set<std::string>();
    std::vector<DelayedItem> items(current.size());
    for (std::size_t k = 0; k < current.size(); ++k) {
        items[k].delaySeconds = current[k].delaySeconds;
        items[k].running = ProgramRuns(current[k].command, running);
    }
    long long now = NowMs();
    // An entry whose delay has passed while its program runs has had its
    // turn: it is not started later in this run.
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (items[k].running && DelayDueMs(items[k].delaySeconds) <= now) {
            g_starts.done[waiting[k]] = true;
            items[k].delaySeconds = 0;
        }
    }
    std::vector<PlannedStart> plan = PlanDelayedStarts(items, now, g_starts.lastStartMs);
    if (!plan.empty() && plan.front().atMs <= now) {
        const std::size_t k = plan.front().item;
        g_starts.done[waiting[k]] = true;
        items[k].delaySeconds = 0;
        Start(current[k]);
        // The spacing counts from the moment the start was made.
        now = NowMs();
        g_starts.lastStartMs = now;
        plan = PlanDelayedStarts(items, now, g_starts.lastStartMs);
    }
    // The next turn: the next planned start, or the moment a running
    // entry's delay passes.
    long long next = plan.empty() ? -1 : plan.front().atMs;
    for (std::size_t k = 0; k < items.size(); ++k) {
        if (items[k].running && items[k].delaySeconds > 0) {
            next = next < 0 ? DelayDueMs(items[k].delaySeconds)
                            : std::min(next, DelayDueMs(items[k].delaySeconds));
        }
    }
    if (next < 0) {
        g_starts.waiting = false;
        return;
    }
    const long long wait = std::max(0LL, next - now);
    SetTimer(window, KV_DELAY_TIMER, static_cast<UINT>(wait), nullptr);
}

} // namespace

void BeginDelayedStarts(unsigned long long originTick) {
    g_starts = DelayedStarts{};
    g_starts.originTick = originTick;
    for (const StartupEntry& entry : ReadDisabledEntries()) {
        if (entry.delaySeconds > 0) {
            g_starts.entries.push_back(entry);
        }
    }
    g_starts.done.assign(g_starts.entries.size(), false);
    g_starts.waiting = !g_starts.entries.empty();
    Turn();
}

void OnDelayedStartTimer() {
    Turn();
}

void StopDelayedStarts() {
    if (g_app.mainWindow != nullptr) {
        KillTimer(g_app.mainWindow, KV_DELAY_TIMER);
    }
    g_starts = DelayedStarts{};
}

bool DelayedStartsWaiting() {
    return g_starts.waiting;
}

void OfferOwnStartValueBack() {
    if (!AnyDelayed(ReadDisabledEntries())) {
        return;
    }
    const OwnStartValue own = ReadOwnStartValue();
    if (own.present && own.delayedStarts) {
        return;
    }
    if (!Ask(LoadText(IDS_OWN_START_LOST), g_app.mainWindow)) {
        return;
    }
    const MoveOutcome outcome =
        StoreOwnStartForDelays(ProgramFilePath(), [](const std::string& question) {
            return Ask(question, g_app.mainWindow);
        });
    ReportOutcomeLater(outcome.location);
    if (!outcome.done() && !outcome.text.empty()) {
        g_app.PendingStatusText = outcome.text;
    }
    ScanDriver();
}

} // namespace kv
