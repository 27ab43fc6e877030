// One-shot timers on timerfd. Setting the time, whether to arm or to disarm,
// also clears an expiry that no wait has consumed, which gives the restart
// and cancel semantics of the waitable timers this stands in for.
#include <sys/timerfd.h>

#include "discovery/platform/timer.h"

namespace kovr::platform {

namespace {

SystemError SetTime(Waitable timer, std::chrono::nanoseconds due)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(due);
    itimerspec value{};
    value.it_value.tv_sec = static_cast<time_t>(seconds.count());
    value.it_value.tv_nsec = static_cast<long>((due - seconds).count());
    return timerfd_settime(timer, 0, &value, nullptr) == 0 ? kNoError : LastSystemError();
}

} // namespace

SystemError OpenTimerObject(Waitable *object)
{
    *object = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    return *object >= 0 ? kNoError : LastSystemError();
}

SystemError Timer::Arm(std::chrono::nanoseconds due)
{
    // A zero value would disarm a timerfd, so "now" is one nanosecond.
    return SetTime(native_, due == std::chrono::nanoseconds::zero() ? std::chrono::nanoseconds(1) : due);
}

void Timer::Cancel()
{
    SetTime(native_, std::chrono::nanoseconds::zero());
}

} // namespace kovr::platform
