// The event objects that callers give to KOVRStartAsyncSearchEvent.
#include <memory>

#include "discovery/handles.h"
#include "kovr/kovr.h"

using namespace kovr;

extern "C" KOVR_EVENT KOVRCreateEvent(void)
{
    std::shared_ptr<platform::Event> event = platform::Event::Create();
    if (event == nullptr) {
        return nullptr;
    }
    return HandleOfSerial<KOVR_EVENT>(EventRegistry().Add(std::move(event)));
}

extern "C" int32_t KOVRWaitEvent(KOVR_EVENT e, uint32_t timeoutMs)
{
    // The wait holds the event, so a close meanwhile can't pull it away.
    const std::shared_ptr<platform::Event> event = EventRegistry().Find(SerialOf(e));
    return event != nullptr ? event->Wait(timeoutMs) : KOVR_FAILED;
}

extern "C" int KOVREventFd(KOVR_EVENT e)
{
    const std::shared_ptr<platform::Event> event = EventRegistry().Find(SerialOf(e));
    return event != nullptr ? event->Native() : -1;
}

extern "C" void KOVRCloseEvent(KOVR_EVENT e)
{
    EventRegistry().Remove(SerialOf(e));
}
