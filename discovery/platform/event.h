// The auto-reset event behind KOVR_EVENT and behind a search's stop signal.
#pragma once

#include <cstdint>
#include <memory>

#include "discovery/platform/waitable.h"

namespace kovr::platform {

class Event {
public:
    // An event, initially clear, or null when the system has none to give.
    static std::unique_ptr<Event> Create();
    ~Event();
    Event(const Event &) = delete;
    Event &operator=(const Event &) = delete;

    void Set();
    // 0 signalled (and consumed), -2 timed out, -1 failure.
    // KOVR_INFINITE waits without limit.
    int32_t Wait(uint32_t timeoutMs);
    // What a readiness wait watches: on POSIX a descriptor that is
    // readable while the event is signalled, on Windows the event itself.
    Waitable Native() const { return native_; }

private:
    explicit Event(Waitable native) : native_(native) {}

    Waitable native_;
};

} // namespace kovr::platform
