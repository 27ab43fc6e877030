#include "common/reboot_wait.h"

namespace kovr::common {

const char *const kRebootingStatus = "Status: Rebooting";

RebootOutcome WaitForDevice(const std::function<bool()> &poll, const std::function<void()> &pause)
{
    if (poll()) {
        return RebootOutcome::Ready;
    }
    for (int i = 0; i < kRebootFurtherPolls; ++i) {
        pause();
        if (poll()) {
            return RebootOutcome::Ready;
        }
    }
    return RebootOutcome::TimedOut;
}

const char *RebootStatusText(RebootOutcome outcome)
{
    return outcome == RebootOutcome::Ready ? "Status: Ready" : "Status: Timed out";
}

} // namespace kovr::common
