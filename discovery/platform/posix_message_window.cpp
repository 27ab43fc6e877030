#include "platform/message_window.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

namespace kovr::platform {
namespace {

struct MessageWindow {
    struct Message {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };
    std::mutex mutex;
    std::condition_variable posted;
    std::deque<Message> queue;
    bool destroyed = false;
};

using WindowPointer = std::shared_ptr<MessageWindow>;

// Readers hold their own reference while they wait, so destroying a window
// never frees state that another thread is still using. Handles are serial
// numbers, never addresses, so a destroyed window's handle is never given to
// a new window and stays dead for good.
struct WindowRegistry {
    std::mutex mutex;
    std::unordered_map<KOVR_WINDOW, WindowPointer> live;
    uintptr_t lastHandle = 0;
};

WindowRegistry &Registry()
{
    // Never destroyed: a worker may still post while the process exits.
    static auto *registry = new WindowRegistry;
    return *registry;
}

WindowPointer FindWindow(KOVR_WINDOW window)
{
    if (window == nullptr) {
        return nullptr;
    }
    WindowRegistry &registry = Registry();
    std::lock_guard<std::mutex> lock(registry.mutex);
    auto found = registry.live.find(window);
    return found == registry.live.end() ? nullptr : found->second;
}

} // namespace

KOVR_WINDOW CreateMessageWindow()
{
    try {
        WindowPointer window = std::make_shared<MessageWindow>();
        WindowRegistry &registry = Registry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        auto handle = reinterpret_cast<KOVR_WINDOW>(registry.lastHandle + 1);
        registry.live.emplace(handle, window);
        ++registry.lastHandle;
        return handle;
    } catch (const std::bad_alloc &) {
        return nullptr; // untestable: out of memory
    }
}

void DestroyMessageWindow(KOVR_WINDOW window)
{
    WindowPointer state;
    {
        WindowRegistry &registry = Registry();
        std::lock_guard<std::mutex> lock(registry.mutex);
        auto found = registry.live.find(window);
        if (found == registry.live.end()) {
            return;
        }
        state = std::move(found->second);
        registry.live.erase(found);
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    state->destroyed = true;
    state->queue.clear();
    state->posted.notify_all();
}

bool IsLiveWindow(KOVR_WINDOW window)
{
    return FindWindow(window) != nullptr;
}

bool PostWindowMessage(KOVR_WINDOW window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    WindowPointer state = FindWindow(window);
    if (state == nullptr) {
        return false;
    }
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->destroyed || state->queue.size() >= kMaxPostedMessages) {
        return false;
    }
    try {
        state->queue.push_back({message, wParam, lParam});
    } catch (const std::bad_alloc &) { // untestable: out of memory
        return false;                  // untestable: out of memory
    }
    state->posted.notify_one();
    return true;
}

int32_t GetWindowMessage(KOVR_WINDOW window, uint32_t timeoutMs, uint32_t *message, uintptr_t *wParam,
                         intptr_t *lParam)
{
    WindowPointer state = FindWindow(window);
    if (state == nullptr) {
        return -1;
    }
    std::unique_lock<std::mutex> lock(state->mutex);
    auto ready = [&state] { return state->destroyed || !state->queue.empty(); };
    if (timeoutMs == KOVR_INFINITE) {
        state->posted.wait(lock, ready);
    } else if (!state->posted.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
        return -2;
    }
    if (state->destroyed) {
        return -1;
    }
    MessageWindow::Message next = state->queue.front();
    state->queue.pop_front();
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
