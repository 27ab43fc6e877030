#include "reboot_wait.h"

namespace kovr::cli {

RebootOutcome WaitForDevice(const std::function<bool()> &poll, const std::function<void()> &pause)
{
    if (poll()) {
        return RebootOutcome::Ready;
    }
    for (int i = 0; i < kRebootExtraPolls; ++i) {
        pause();
        if (poll()) {
            return RebootOutcome::Ready;
        }
    }
    return RebootOutcome::TimedOut;
}

} // namespace kovr::cli
