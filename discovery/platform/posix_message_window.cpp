#include "discovery/platform/message_window.h"

#include "discovery/platform/waitable.h"

#include <chrono>
#include <new>

namespace kovr::platform {

void MessageWindow::Destroy()
{
    std::lock_guard<std::mutex> lock(mutex_);
    destroyed_ = true;
    queue_.clear();
    posted_.notify_all();
}

bool MessageWindow::Post(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (destroyed_ || queue_.size() >= kMaxPostedMessages) {
        return false;
    }
    try {
        queue_.push_back({message, wParam, lParam});
    } catch (const std::bad_alloc &) { // untestable: out of memory
        return false;                  // untestable: out of memory
    }
    posted_.notify_one();
    return true;
}

int32_t MessageWindow::Get(uint32_t timeoutMs, uint32_t *message, uintptr_t *wParam, intptr_t *lParam)
{
    std::unique_lock<std::mutex> lock(mutex_);
    auto ready = [this] { return destroyed_ || !queue_.empty(); };
    if (timeoutMs == kWaitForever) {
        posted_.wait(lock, ready);
    } else if (!posted_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        return -2;
    }
    if (destroyed_) {
        return -1;
    }
    const Message next = queue_.front();
    queue_.pop_front();
    if (message != nullptr) {
        *message = next.message;
    }
    if (wParam != nullptr) {
        *wParam = next.wParam;
    }
    if (lParam != nullptr) {
        *lParam = next.lParam;
    }
    return 0;
}

} // namespace kovr::platform
