// The registries behind KOVR_EVENT and KOVR_WINDOW, and the conversions
// between a caller's handle and its serial.
#pragma once

#include <cstdint>

#include "discovery/handle_registry.h"
#include "discovery/platform/event.h"
#include "discovery/platform/message_window.h"
#include "kovr/kovr.h"

namespace kovr {

HandleRegistry<platform::Event> &EventRegistry();
HandleRegistry<platform::MessageWindow> &WindowRegistry();

// What a search notifies through, looked up at that moment, so that an event
// closed or a window destroyed meanwhile is simply skipped.
bool IsLiveEvent(KOVR_EVENT event);
void SetEvent(KOVR_EVENT event);
bool IsLiveWindow(KOVR_WINDOW window);
// False for a window that doesn't exist or whose queue is full.
bool PostWindowMessage(KOVR_WINDOW window, uint32_t message, uintptr_t wParam, intptr_t lParam);

template <typename Handle>
uintptr_t SerialOf(Handle handle)
{
    return reinterpret_cast<uintptr_t>(handle);
}

template <typename Handle>
Handle HandleOfSerial(uintptr_t serial)
{
    return reinterpret_cast<Handle>(serial);
}

} // namespace kovr
