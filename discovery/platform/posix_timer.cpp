// One-shot timers on timerfd. Setting the time, whether to arm or to disarm,
// also clears an expiry that no wait has consumed, which gives the restart
// and cancel semantics of the waitable timers this stands in for.
#include "timer.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <cstdint>
#include <new>

#include "fault_injection.h"
#include "poll_wait.h"

namespace kovr::platform {

struct Timer {
    int fd;
};

namespace {

constexpr int64_t kNanosecondsPerTick = 100;
constexpr int64_t kNanosecondsPerSecond = 1000000000;

bool SetTime(Timer *timer, int64_t nanoseconds)
{
    itimerspec due{};
    due.it_value.tv_sec = static_cast<time_t>(nanoseconds / kNanosecondsPerSecond);
    due.it_value.tv_nsec = static_cast<long>(nanoseconds % kNanosecondsPerSecond);
    return timerfd_settime(timer->fd, 0, &due, nullptr) == 0;
}

} // namespace

Timer *CreateTimer()
{
    if (ShouldFail(Fault::TimerCreate)) {
        return nullptr;
    }
    const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    auto *timer = new (std::nothrow) Timer{fd};
    if (timer == nullptr) {
        close(fd); // untestable: out of memory
    }
    return timer;
}

void CloseTimer(Timer *timer)
{
    if (timer == nullptr) {
        return;
    }
    close(timer->fd);
    delete timer;
}

bool StartTimer(Timer *timer, int64_t dueTime)
{
    // Only relative due times (negative) are used; a zero value would disarm
    // a timerfd, so "now" is one nanosecond.
    if (timer == nullptr || dueTime > 0) {
        return false;
    }
    constexpr int64_t kLongest = INT64_MAX / kNanosecondsPerTick;
    const int64_t ticks = dueTime < -kLongest ? kLongest : -dueTime;
    return SetTime(timer, ticks == 0 ? 1 : ticks * kNanosecondsPerTick);
}

void CancelTimer(Timer *timer)
{
    if (timer != nullptr) {
        SetTime(timer, 0);
    }
}

int32_t WaitTimer(Timer *timer, uint32_t timeoutMs)
{
    return timer != nullptr ? WaitAndConsume(timer->fd, timeoutMs) : -1;
}

bool TimerFired(Timer *timer)
{
    return WaitTimer(timer, 0) == 0;
}

} // namespace kovr::platform
