#include "locator/core/stop_signal.h"

namespace kovr::locator {

void StopSignal::Stop()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}

bool StopSignal::Stopped() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return stopped_;
}

void StopSignal::Pause(std::chrono::milliseconds duration) const
{
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, duration, [this] { return stopped_; });
}

} // namespace kovr::locator
