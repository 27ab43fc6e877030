// The wait shared by the descriptor-backed events and timers.
#pragma once

#include <cstdint>

namespace kovr::platform {

// Waits until `fd` (an eventfd or timerfd) is readable, then consumes its
// counter with one read. Another reader may win the counter; the wait then
// goes on for the rest of the time. 0 consumed, -2 timed out, -1 failure.
// KOVR_INFINITE waits without limit.
int32_t WaitAndConsume(int fd, uint32_t timeoutMs);

} // namespace kovr::platform
