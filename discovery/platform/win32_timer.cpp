// One-shot timers on synchronization (auto-reset) waitable timers. Setting
// or cancelling a waitable timer leaves an expiry that nobody consumed in
// place, so both consume it first.
#include <windows.h>

#include <algorithm>

#include "discovery/platform/timer.h"

namespace kovr::platform {

namespace {

// Waitable timers count in 100-nanosecond units; a negative due time is
// relative to now.
using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;

} // namespace

SystemError OpenTimerObject(Waitable *object)
{
    *object = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    return *object != nullptr ? kNoError : LastSystemError();
}

SystemError Timer::Arm(std::chrono::nanoseconds due)
{
    WaitAndConsume(native_, 0);
    // At least one tick: a due time of 0 would be an absolute time long past.
    const int64_t ticks = std::max<int64_t>(1, std::chrono::ceil<Ticks>(due).count());
    LARGE_INTEGER dueTime{};
    dueTime.QuadPart = -ticks;
    return SetWaitableTimer(native_, &dueTime, 0, nullptr, nullptr, FALSE) ? kNoError : LastSystemError();
}

void Timer::Cancel()
{
    CancelWaitableTimer(native_);
    WaitAndConsume(native_, 0);
}

} // namespace kovr::platform
