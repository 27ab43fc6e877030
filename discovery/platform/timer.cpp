#include "discovery/platform/timer.h"

namespace kovr::platform {

SystemError Timer::Start(std::chrono::nanoseconds due)
{
    if (due < std::chrono::nanoseconds::zero()) {
        return kUnknownError;
    }
    return Arm(due);
}

bool Timer::Fired()
{
    return Wait(0) == 0;
}

} // namespace kovr::platform
