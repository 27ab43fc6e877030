// The message window behind KOVR_WINDOW on platforms without a window
// system: a thread-safe FIFO of posted messages.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>

namespace kovr::platform {

// Posted messages that a window holds before further posts are refused.
constexpr size_t kMaxPostedMessages = 10000;

class MessageWindow {
public:
    // Wakes any reader, which then gets -1; later posts are refused.
    void Destroy();
    // Queues a message without waiting. False once destroyed or when full.
    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Takes the oldest message: 0, -2 when none came within timeoutMs
    // (kWaitForever waits without limit), -1 once destroyed.
    int32_t Get(uint32_t timeoutMs, uint32_t *message, uintptr_t *wParam, intptr_t *lParam);

private:
    struct Message {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<Message> queue_;
    bool destroyed_ = false;
};

} // namespace kovr::platform
