// One-shot relative timer, auto-reset: it fires once after its due time and
// stays signalled until a wait or a poll consumes the expiry.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>

#include "discovery/platform/system_errors.h"
#include "discovery/platform/waitable.h"

namespace kovr::platform {

class Timer {
public:
    // A timer, or null with the reason in *error.
    static std::unique_ptr<Timer> Create(SystemError *error = nullptr);
    ~Timer();
    Timer(const Timer &) = delete;
    Timer &operator=(const Timer &) = delete;

    // Fires once `due` from now; restarting re-arms it from now.
    SystemError Start(std::chrono::nanoseconds due);
    // Disarms the timer and drops an expiry that nobody has consumed yet.
    void Cancel();
    // 0 fired (consumed), -2 timed out, -1 failure. KOVR_INFINITE waits without limit.
    int32_t Wait(uint32_t timeoutMs);
    // Polls without waiting; consumes the expiry when it fired.
    bool Fired();

private:
    explicit Timer(Waitable native) : native_(native) {}
    // Fires `due` from now, at once for zero, after dropping an expiry that
    // nobody has consumed.
    SystemError Arm(std::chrono::nanoseconds due);

    Waitable native_;
};

} // namespace kovr::platform
