#include "discovery/platform/waitable.h"

#include <windows.h>

namespace kovr::platform {

static_assert(kWaitForever == INFINITE, "the endless wait is the system's");

void CloseWaitable(Waitable object)
{
    CloseHandle(object);
}

int32_t WaitAndConsume(Waitable handle, uint32_t timeoutMs)
{
    switch (WaitForSingleObject(handle, timeoutMs)) {
    case WAIT_OBJECT_0:
        return 0;
    case WAIT_TIMEOUT:
        return -2;
    default:
        return -1;
    }
}

} // namespace kovr::platform
