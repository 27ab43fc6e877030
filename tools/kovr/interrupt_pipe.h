// Turns Ctrl-C into something a wait can watch, so that a loop waiting for
// search results ends cleanly instead of dying with a search running: on
// POSIX, SIGINT, SIGTERM and SIGHUP make a pipe readable; on Windows, Ctrl-C
// and Ctrl-Break set an event. One instance at a time; the previous
// handlers come back when it goes.
#pragma once

namespace kovr::cli {

// What a wait watches for the interrupt: a descriptor that becomes
// readable on POSIX, a manual-reset event that is set on Windows.
#if defined(_WIN32)
using InterruptHandle = void *;
#else
using InterruptHandle = int;
#endif

class InterruptPipe {
public:
    InterruptPipe();
    ~InterruptPipe();
    InterruptPipe(const InterruptPipe &) = delete;
    InterruptPipe &operator=(const InterruptPipe &) = delete;

    // False when it could not be made; then no handler is installed.
    bool valid() const { return valid_; }
    InterruptHandle handle() const { return handle_; }

private:
    bool valid_ = false;
    InterruptHandle handle_{};
};

} // namespace kovr::cli
