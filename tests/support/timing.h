// Waiting for and measuring what happens on another thread or in another
// process, with a limit so that a fault fails one case instead of hanging.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace kovr::test {

using Clock = std::chrono::steady_clock;

inline long MillisecondsSince(Clock::time_point start)
{
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

// Polls the condition until it holds (true) or the limit passes (false).
inline bool WaitFor(const std::function<bool()> &condition,
                    std::chrono::milliseconds limit = std::chrono::milliseconds(3000))
{
    const auto deadline = Clock::now() + limit;
    while (!condition()) {
        if (Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

} // namespace kovr::test
