// The one wait on a Windows handle that events and timers share.
#pragma once

#include <cstdint>

#include "discovery/platform/waitable.h"

namespace kovr::platform {

// Waits until `handle` is signalled, which consumes an auto-reset object.
// 0 signalled, -2 timed out, -1 failure. KOVR_INFINITE waits without limit.
int32_t WaitOn(Waitable handle, uint32_t timeoutMs);

} // namespace kovr::platform
