// A progress line that shows how long an activity has run, redrawn on a
// thread of its own while the caller's thread is blocked in a library call.
// That thread only writes the line and makes no library call, so it never
// touches the session the caller is using.
#pragma once

#include "tools/kovr/progress_line.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace kovr::cli {

class ProgressTicker {
public:
    // Draws at once and then every kProgressRedrawInterval; starts no
    // thread when the line is disabled.
    ProgressTicker(ProgressLine &line, std::string activity);
    // Stops the redraws and erases the line.
    ~ProgressTicker();
    ProgressTicker(const ProgressTicker &) = delete;
    ProgressTicker &operator=(const ProgressTicker &) = delete;

private:
    using Clock = std::chrono::steady_clock;

    void Run();

    ProgressLine &line_;
    const std::string activity_;
    const Clock::time_point start_;
    std::mutex mutex_;
    std::condition_variable stop_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace kovr::cli
