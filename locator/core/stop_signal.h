#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace kovr::locator {

// Tells a wait on a worker thread that its window has gone: a pause ends at
// once, and the worker stops at its next look.
class StopSignal {
public:
    void Stop();
    bool Stopped() const;
    // Sleeps for `duration`, or less when stopped meanwhile.
    void Pause(std::chrono::milliseconds duration) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    bool stopped_ = false;
};

} // namespace kovr::locator
