// Auto-reset event behind KOVR_EVENT. Live events are registered, so a stale
// or foreign pointer is refused without being read through.
#pragma once

#include <cstdint>

#include "kovr/kovr.h"

namespace kovr::platform {

KOVR_EVENT CreateAutoResetEvent();
void CloseEvent(KOVR_EVENT event);
bool IsLiveEvent(KOVR_EVENT event);
void SetEvent(KOVR_EVENT event);
// 0 signalled (and consumed), -2 timed out, -1 bad event or failure.
// KOVR_INFINITE waits without limit.
int32_t WaitEvent(KOVR_EVENT event, uint32_t timeoutMs);
int EventFd(KOVR_EVENT event);

} // namespace kovr::platform
