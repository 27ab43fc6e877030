// Worker threads: started running at once, joined and released in one step.
#pragma once

#include <functional>
#include <memory>
#include <thread>

namespace kovr::platform {

class Thread {
public:
    // A running thread, or null when it can't be created.
    static std::unique_ptr<Thread> Start(std::function<void()> routine);
    // Waits without limit for the routine to end. Released by its own
    // routine, a thread can't wait for itself and ends on its own.
    ~Thread()
    {
        if (thread_.get_id() == std::this_thread::get_id()) {
            thread_.detach();
        } else {
            thread_.join();
        }
    }
    Thread(const Thread &) = delete;
    Thread &operator=(const Thread &) = delete;

private:
    explicit Thread(std::thread thread) : thread_(std::move(thread)) {}

    std::thread thread_;
};

} // namespace kovr::platform
