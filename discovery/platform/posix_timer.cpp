// One-shot timers on timerfd. Setting the time, whether to arm or to disarm,
// also clears an expiry that no wait has consumed, which gives the restart
// and cancel semantics of the waitable timers this stands in for.
#include "discovery/platform/timer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <new>

#include "discovery/platform/fault_injection.h"
#include "discovery/platform/poll_wait.h"

namespace kovr::platform {

std::unique_ptr<Timer> Timer::Create(SystemError *error)
{
    SystemError ignored = kNoError;
    SystemError &reason = error != nullptr ? *error : ignored;
    reason = kUnknownError;
    if (ShouldFail(Fault::TimerCreate)) {
        return nullptr;
    }
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) {
        reason = LastSystemError();
        return nullptr;
    }
    std::unique_ptr<Timer> timer(new (std::nothrow) Timer(fd));
    if (timer == nullptr) {
        close(fd); // untestable: out of memory
    }
    reason = kNoError;
    return timer;
}

Timer::~Timer()
{
    close(native_);
}

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

SystemError Timer::Arm(std::chrono::nanoseconds due)
{
    // A zero value would disarm a timerfd, so "now" is one nanosecond.
    return SetTime(native_, due == std::chrono::nanoseconds::zero() ? std::chrono::nanoseconds(1) : due);
}

void Timer::Cancel()
{
    SetTime(native_, std::chrono::nanoseconds::zero());
}

int32_t Timer::Wait(uint32_t timeoutMs)
{
    return WaitAndConsume(native_, timeoutMs);
}

} // namespace kovr::platform
