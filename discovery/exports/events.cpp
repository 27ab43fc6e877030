// The event objects that callers give to KOVRStartAsyncSearchEvent.
#include "kovr/kovr.h"
#include "platform/event.h"

extern "C" KOVR_EVENT KOVRCreateEvent(void)
{
    return kovr::platform::CreateAutoResetEvent();
}

extern "C" int32_t KOVRWaitEvent(KOVR_EVENT e, uint32_t timeoutMs)
{
    return kovr::platform::WaitEvent(e, timeoutMs);
}

extern "C" int KOVREventFd(KOVR_EVENT e)
{
    return kovr::platform::EventFd(e);
}

extern "C" void KOVRCloseEvent(KOVR_EVENT e)
{
    kovr::platform::CloseEvent(e);
}
