// The auto-reset event behind KOVR_EVENT and behind a search's stop signal.
#pragma once

#include <cstdint>
#include <memory>

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
    // Readable while the event is signalled.
    int Fd() const { return fd_; }

private:
    explicit Event(int fd) : fd_(fd) {}

    int fd_;
};

} // namespace kovr::platform
