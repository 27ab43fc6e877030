#include "discovery/handles.h"

namespace kovr {

// Never destroyed: a search worker may still notify while the process exits.
HandleRegistry<platform::Event> &EventRegistry()
{
    static auto *registry = new HandleRegistry<platform::Event>;
    return *registry;
}

HandleRegistry<platform::MessageWindow> &WindowRegistry()
{
    static auto *registry = new HandleRegistry<platform::MessageWindow>;
    return *registry;
}

bool IsLiveEvent(KOVR_EVENT event)
{
    return EventRegistry().Find(SerialOf(event)) != nullptr;
}

void SignalEvent(KOVR_EVENT event)
{
    if (const auto live = EventRegistry().Find(SerialOf(event))) {
        live->Set();
    }
}

bool IsLiveWindow(KOVR_WINDOW window)
{
    return WindowRegistry().Find(SerialOf(window)) != nullptr;
}

bool PostWindowMessage(KOVR_WINDOW window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    const auto live = WindowRegistry().Find(SerialOf(window));
    return live != nullptr && live->Post(message, wParam, lParam);
}

} // namespace kovr
