// One-shot relative timer, auto-reset: it fires once after its due time and
// stays signalled until a wait or a poll consumes the expiry.
#pragma once

#include <cstdint>

namespace kovr::platform {

struct Timer;

Timer *CreateTimer();
void CloseTimer(Timer *timer);
// dueTime is relative, in 100 ns units, negative. Restarting re-arms it from now.
bool StartTimer(Timer *timer, int64_t dueTime);
// Disarms the timer and drops an expiry that nobody has consumed yet.
void CancelTimer(Timer *timer);
// 0 fired (consumed), -2 timed out, -1 failure. KOVR_INFINITE waits without limit.
int32_t WaitTimer(Timer *timer, uint32_t timeoutMs);
// Polls without waiting; consumes the expiry when it fired.
bool TimerFired(Timer *timer);

} // namespace kovr::platform
