#include "tools/kovr/progress_ticker.h"

namespace kovr::cli {

ProgressTicker::ProgressTicker(ProgressLine &line, std::string activity)
    : line_(line), activity_(std::move(activity)), start_(Clock::now())
{
    if (line_.enabled()) {
        thread_ = std::thread(&ProgressTicker::Run, this);
    }
}

ProgressTicker::~ProgressTicker()
{
    if (thread_.joinable()) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        stop_.notify_one();
        thread_.join();
    }
    line_.Clear();
}

void ProgressTicker::Run()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        // A terminal that is slow to take the line must not hold up the stop.
        lock.unlock();
        line_.Show(ElapsedProgressText(activity_,
                                       std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start_)));
        lock.lock();
        stop_.wait_for(lock, kProgressRedrawInterval, [this] { return stopping_; });
    }
}

} // namespace kovr::cli
