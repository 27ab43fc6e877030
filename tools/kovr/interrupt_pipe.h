// Turns Ctrl-C (SIGINT), SIGTERM and SIGHUP into a readable pipe, so that a
// loop waiting in poll() ends cleanly instead of dying with a search running.
// One instance at a time; the previous handlers come back when it goes.
#pragma once

namespace kovr::cli {

class InterruptPipe {
public:
    InterruptPipe();
    ~InterruptPipe();
    InterruptPipe(const InterruptPipe &) = delete;
    InterruptPipe &operator=(const InterruptPipe &) = delete;

    // False when the pipe could not be made; then no handler is installed.
    bool valid() const { return readFd_ >= 0; }
    // Readable once a signal has arrived.
    int fd() const { return readFd_; }

private:
    int readFd_ = -1;
};

} // namespace kovr::cli
