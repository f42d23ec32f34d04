// The starts of the delayed entries, when the program was started with
// "/startup" (as its own autostart value starts it at logon while entries
// are delayed), and the warning when that value is gone while they wait.
#pragma once

namespace kv {

// Begins the starts (the main window, as it is made, when the program was
// started with "/startup"; the start-up check's questions do not hold them
// back): each entry that the store holds as delayed now is
// started once its delay, counted from `originTick` (GetTickCount64 at the
// program's own start), has passed, in order of delay and never within
// kStartSpacingMs of the start before it. A window timer (KV_DELAY_TIMER)
// wakes the main window when the next start is due. Each turn reads the
// store again: an entry no longer delayed there is not started, a changed
// delay counts, and an entry delayed only after this call waits for the next
// logon. An entry whose program already runs at its turn is skipped. One
// that fails to start is named, with the system's reason, in the status bar
// and the tray balloon; the store is never changed here.
void BeginDelayedStarts(unsigned long long originTick);

// KV_DELAY_TIMER: the starts that are due, and the timer set for the next.
void OnDelayedStartTimer();

// Ends the starts still waiting (the window goes).
void StopDelayedStarts();

// True while starts are still waiting.
bool DelayedStartsWaiting();

// At a start with the window: when the store holds a delayed entry and the
// program's own autostart value is missing or lacks "/startup", asks (owned
// by the main window) whether to write it back; Yes writes it with
// "/m /startup". Another program's value of that name is replaced only after
// its own question.
void OfferOwnStartValueBack();

} // namespace kv
