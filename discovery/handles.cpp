#include "handles.h"

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

} // namespace kovr
