// The message window behind KOVR_WINDOW: a thread-safe FIFO of posted
// messages. Live windows are registered, so the exists check never reads
// through a destroyed or foreign pointer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kovr/kovr.h"

namespace kovr::platform {

// Posted messages that a window holds before further posts are refused.
constexpr size_t kMaxPostedMessages = 10000;

KOVR_WINDOW CreateMessageWindow();
// Wakes any reader, which then gets -1; later calls treat the window as foreign.
void DestroyMessageWindow(KOVR_WINDOW window);
bool IsLiveWindow(KOVR_WINDOW window);
// Queues a message without waiting. False for a window that doesn't exist
// (checked at the moment of posting) or whose queue is full.
bool PostWindowMessage(KOVR_WINDOW window, uint32_t message, uintptr_t wParam, intptr_t lParam);
// Takes the oldest message: 0, -2 when none came within timeoutMs
// (KOVR_INFINITE waits without limit), -1 for a window that doesn't exist.
int32_t GetWindowMessage(KOVR_WINDOW window, uint32_t timeoutMs, uint32_t *message, uintptr_t *wParam,
                         intptr_t *lParam);

} // namespace kovr::platform
