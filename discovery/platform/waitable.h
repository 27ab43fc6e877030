// The system objects behind events and timers, and the one wait they share:
// descriptors (eventfd, timerfd) on POSIX, HANDLEs on Windows.
#pragma once

#include <cstdint>

#include "discovery/platform/system_errors.h"

namespace kovr::platform {

// A wait without limit; the library's KOVR_INFINITE is the same value.
constexpr uint32_t kWaitForever = 0xFFFFFFFFu;

#if defined(_WIN32)
using Waitable = void *;
#else
using Waitable = int;
#endif

// An auto-reset event, initially clear.
SystemError OpenEventObject(Waitable *object);
// A one-shot timer, not armed, whose expiry a wait consumes.
SystemError OpenTimerObject(Waitable *object);
void CloseWaitable(Waitable object);

// Waits until the object is signalled and consumes the signal. Another
// waiter may win it; the wait then goes on for the rest of the time.
// 0 consumed, -2 timed out, -1 failure. kWaitForever waits without limit.
int32_t WaitAndConsume(Waitable object, uint32_t timeoutMs);

} // namespace kovr::platform
