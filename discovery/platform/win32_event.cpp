// Auto-reset events: a set releases exactly one wait, however often it was
// set before, and the wait that sees it resets it.
#include <windows.h>

#include "discovery/platform/event.h"

namespace kovr::platform {

SystemError OpenEventObject(Waitable *object)
{
    *object = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return *object != nullptr ? kNoError : LastSystemError();
}

void Event::Set()
{
    ::SetEvent(native_);
}

} // namespace kovr::platform
