// The user-interface thread of a face, played by the test's own thread: the
// core posts to a queue that RunUntil works off.
#pragma once

#include "locator/core/ui_thread.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace kovr::test {

class TestUi {
public:
    locator::PostToUi Post()
    {
        return [this](std::function<void()> call) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                calls_.push_back(std::move(call));
            }
            posted_.notify_one();
        };
    }

    // Runs what is posted until `done` holds, which a worker may also make
    // so; false after `limit`.
    bool RunUntil(const std::function<bool()> &done, std::chrono::seconds limit = std::chrono::seconds(20))
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!posted_.wait_for(lock, std::chrono::milliseconds(10), [this] { return !calls_.empty(); })) {
                if (std::chrono::steady_clock::now() >= end) {
                    return false;
                }
                continue;
            }
            std::function<void()> call = std::move(calls_.front());
            calls_.pop_front();
            lock.unlock();
            call();
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> calls_;
};

} // namespace kovr::test
