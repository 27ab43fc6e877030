// The synchronous search with a progress line. KOVRStartSyncSearchEx blocks
// its caller, and no second call may run on the session meanwhile, so this
// search runs in event mode and applies the synchronous rules itself
// (sync_search_rules.h), leaving this thread free to redraw the line and to
// notice Ctrl-C.
#pragma once

#include "progress_line.h"

#include <kovr/kovr.h>

#include <cstdint>
#include <vector>

namespace kovr::cli {

// False when the library refused the search. Ctrl-C ends the search early
// with the devices found so far.
bool SearchWithProgress(KOVR_HANDLE session, uint32_t idleMs, uint32_t totalMs, ProgressLine &progress,
                        std::vector<KOVRDeviceInfoRecord> &devices);

} // namespace kovr::cli
