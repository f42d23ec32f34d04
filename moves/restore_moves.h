// The moves of a list restore: every active entry taken out into the store,
// then each entry of the list put back or kept disabled, so that no entry is
// ever in neither place.
#pragma once

#include "moves/move_outcome.h"

#include <vector>

namespace kv {

// Every active entry (`enabled`, as the list shows them) is recorded in the
// store after the disabled ones (`disabled`, with what their records keep),
// each with what its location holds for it now, all in one write, before any
// of them leaves; then they leave one after another. `stored` learns the
// store as it then stands; `leftAlone` the entries that stayed where they
// were. False, with nothing changed, when the store cannot be written.
bool TakeOutForRestore(const std::vector<StartupEntry>& disabled,
                       const std::vector<StartupEntry>& enabled, std::vector<StartupEntry>& stored,
                       std::vector<StartupEntry>& leftAlone);

// The list's entries, each with what the entry it names kept just now (a
// Startup-folder file, a value's type and bytes), unless the list carries
// its own copy of the file.
std::vector<StartupEntry> WithFormsOfNow(const std::vector<StartupEntry>& entries,
                                         const std::vector<StartupEntry>& stored);

// Each entry of the list goes back into its location when it is enabled
// there; an entry that stayed in its location (`active`) is not written
// again, and one whose location holds an entry of its name now is written
// over only with `consent` (else it waits, disabled). The store holds the
// disabled entries and, until the end, the entries taken out before; at the
// end exactly the disabled ones, and the copies that no record needs (of
// `stored` and `listed`) are discarded. `restored` learns the list's entries
// in the list's row order (last first), `checked` as each ended, and
// `notWritten` what the writer said of each that could not be written. False
// when the store could not be written at the end.
bool PutBackForRestore(const std::vector<StartupEntry>& entries,
                       const std::vector<StartupEntry>& stored,
                       const std::vector<StartupEntry>& active,
                       const std::vector<StartupEntry>& listed, const Consent& consent,
                       std::vector<StartupEntry>& restored,
                       std::vector<LocationOutcome>& notWritten);

// A restore that chose no file: the store written anew as it stands (never
// from the rows, which may not match it).
bool WriteStoreAnew();

} // namespace kv
