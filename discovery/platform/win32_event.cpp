// Auto-reset events: a set releases exactly one wait, however often it was
// set before, and the wait that sees it resets it.
#include <windows.h>

#include <new>

#include "discovery/platform/event.h"
#include "discovery/platform/fault_injection.h"
#include "discovery/platform/win32_wait.h"

namespace kovr::platform {

std::unique_ptr<Event> Event::Create()
{
    if (ShouldFail(Fault::EventCreate)) {
        return nullptr;
    }
    HANDLE handle = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (handle == nullptr) {
        return nullptr;
    }
    std::unique_ptr<Event> event(new (std::nothrow) Event(handle));
    if (event == nullptr) {
        CloseHandle(handle); // untestable: out of memory
    }
    return event;
}

Event::~Event()
{
    CloseHandle(native_);
}

void Event::Set()
{
    ::SetEvent(native_);
}

int32_t Event::Wait(uint32_t timeoutMs)
{
    return WaitOn(native_, timeoutMs);
}

} // namespace kovr::platform
