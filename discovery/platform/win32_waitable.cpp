#include "discovery/platform/waitable.h"

#include <windows.h>

#include "kovr/kovr.h"

namespace kovr::platform {

static_assert(KOVR_INFINITE == INFINITE, "the library's endless wait is the system's");

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
