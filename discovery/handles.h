// The registries behind KOVR_EVENT and KOVR_WINDOW, and the conversions
// between a caller's handle and its serial.
#pragma once

#include <cstdint>

#include "handle_registry.h"
#include "platform/event.h"
#include "platform/message_window.h"

namespace kovr {

HandleRegistry<platform::Event> &EventRegistry();
HandleRegistry<platform::MessageWindow> &WindowRegistry();

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
