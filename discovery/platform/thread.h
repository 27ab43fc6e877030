// Worker threads: started running at once, joined and released in one step.
#pragma once

#include <functional>
#include <memory>

namespace kovr::platform {

class Thread {
public:
    // A running thread, or null when it can't be created. The thread owns
    // its routine, so a routine may release its own Thread.
    static std::unique_ptr<Thread> Start(std::function<void()> routine);
    // Waits without limit for the routine to end. Released by its own
    // routine, a thread can't wait for itself and ends on its own.
    ~Thread();
    Thread(const Thread &) = delete;
    Thread &operator=(const Thread &) = delete;

private:
    struct Native;
    Thread();
    // Starts the system's thread on the routine, which it then owns.
    bool Launch(std::function<void()> *routine);

    std::unique_ptr<Native> native_;
};

} // namespace kovr::platform
