#include "discovery/platform/timer.h"

#include <new>

#include "discovery/platform/fault_injection.h"

namespace kovr::platform {

std::unique_ptr<Timer> Timer::Create(SystemError *error)
{
    SystemError ignored = kNoError;
    SystemError &reason = error != nullptr ? *error : ignored;
    reason = kUnknownError;
    Waitable object{};
    if (ShouldFail(Fault::TimerCreate)) {
        return nullptr;
    }
    reason = OpenTimerObject(&object);
    if (reason != kNoError) {
        return nullptr;
    }
    std::unique_ptr<Timer> timer(new (std::nothrow) Timer(object));
    if (timer == nullptr) {
        CloseWaitable(object); // untestable: out of memory
        reason = kUnknownError;
    }
    return timer;
}

Timer::~Timer()
{
    CloseWaitable(native_);
}

SystemError Timer::Start(std::chrono::nanoseconds due)
{
    if (due < std::chrono::nanoseconds::zero()) {
        return kUnknownError;
    }
    return Arm(due);
}

int32_t Timer::Wait(uint32_t timeoutMs)
{
    return WaitAndConsume(native_, timeoutMs);
}

bool Timer::Fired()
{
    return Wait(0) == 0;
}

} // namespace kovr::platform
