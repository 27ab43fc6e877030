// One-shot timers on synchronization (auto-reset) waitable timers. Setting
// or cancelling a waitable timer leaves an expiry that nobody consumed in
// place, so both consume it first.
#include <windows.h>

#include <algorithm>
#include <new>

#include "discovery/platform/fault_injection.h"
#include "discovery/platform/timer.h"
#include "discovery/platform/win32_wait.h"

namespace kovr::platform {

namespace {

// Waitable timers count in 100-nanosecond units; a negative due time is
// relative to now.
using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;

} // namespace

std::unique_ptr<Timer> Timer::Create(SystemError *error)
{
    SystemError ignored = kNoError;
    SystemError &reason = error != nullptr ? *error : ignored;
    reason = kUnknownError;
    if (ShouldFail(Fault::TimerCreate)) {
        return nullptr;
    }
    HANDLE handle = CreateWaitableTimerW(nullptr, FALSE, nullptr);
    if (handle == nullptr) {
        reason = LastSystemError();
        return nullptr;
    }
    std::unique_ptr<Timer> timer(new (std::nothrow) Timer(handle));
    if (timer == nullptr) {
        CloseHandle(handle); // untestable: out of memory
        return nullptr;
    }
    reason = kNoError;
    return timer;
}

Timer::~Timer()
{
    CloseHandle(native_);
}

SystemError Timer::Arm(std::chrono::nanoseconds due)
{
    WaitOn(native_, 0);
    // At least one tick: a due time of 0 would be an absolute time long past.
    const int64_t ticks = std::max<int64_t>(1, std::chrono::ceil<Ticks>(due).count());
    LARGE_INTEGER dueTime{};
    dueTime.QuadPart = -ticks;
    return SetWaitableTimer(native_, &dueTime, 0, nullptr, nullptr, FALSE) ? kNoError : LastSystemError();
}

void Timer::Cancel()
{
    CancelWaitableTimer(native_);
    WaitOn(native_, 0);
}

int32_t Timer::Wait(uint32_t timeoutMs)
{
    return WaitOn(native_, timeoutMs);
}

} // namespace kovr::platform
