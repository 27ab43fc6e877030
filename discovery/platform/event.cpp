#include <new>

#include "discovery/platform/event.h"
#include "discovery/platform/fault_injection.h"

namespace kovr::platform {

std::unique_ptr<Event> Event::Create()
{
    Waitable object{};
    if (ShouldFail(Fault::EventCreate) || OpenEventObject(&object) != kNoError) {
        return nullptr;
    }
    std::unique_ptr<Event> event(new (std::nothrow) Event(object));
    if (event == nullptr) {
        CloseWaitable(object); // untestable: out of memory
    }
    return event;
}

Event::~Event()
{
    CloseWaitable(native_);
}

int32_t Event::Wait(uint32_t timeoutMs)
{
    return WaitAndConsume(native_, timeoutMs);
}

} // namespace kovr::platform
