// Turns Ctrl-C into something a wait can watch, so that a loop waiting for
// search results ends cleanly instead of dying with a search running: on
// POSIX, SIGINT, SIGTERM and SIGHUP make a pipe readable; on Windows, Ctrl-C
// and Ctrl-Break set an event. One instance at a time; the previous
// handlers come back when it goes.
#pragma once

namespace kovr::cli {

class InterruptPipe {
public:
    InterruptPipe();
    ~InterruptPipe();
    InterruptPipe(const InterruptPipe &) = delete;
    InterruptPipe &operator=(const InterruptPipe &) = delete;

#if defined(_WIN32)
    // False when the event could not be made; then no handler is installed.
    bool valid() const
    {
        return event_ != nullptr;
    }
    // A manual-reset event, set once an interrupt has come.
    void *event() const
    {
        return event_;
    }

private:
    void *event_ = nullptr;
#else
    // False when the pipe could not be made; then no handler is installed.
    bool valid() const
    {
        return readFd_ >= 0;
    }
    // Readable once a signal has arrived.
    int fd() const
    {
        return readFd_;
    }

private:
    int readFd_ = -1;
#endif
};

} // namespace kovr::cli
