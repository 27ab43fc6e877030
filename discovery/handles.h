// The event and window handles that callers give to a search. On Windows
// they are the system's own (win32_handles.cpp); elsewhere
// they are the library's stand-ins, kept in registries (posix_handles.cpp).
#pragma once

#include <cstdint>

#include "discovery/handle_registry.h"
#include "kovr/kovr.h"

#if !defined(_WIN32)
#  include "discovery/platform/event.h"
#  include "discovery/platform/message_window.h"
#endif

namespace kovr {

#if !defined(_WIN32)
HandleRegistry<platform::Event> &EventRegistry();
HandleRegistry<platform::MessageWindow> &WindowRegistry();
#endif

// What a search notifies through, looked up at that moment, so that an event
// closed or a window destroyed meanwhile is simply skipped. An event must be
// an event: any other handle is refused.
bool IsLiveEvent(KOVR_EVENT event);
void SignalEvent(KOVR_EVENT event);
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
