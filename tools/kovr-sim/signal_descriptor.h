// SIGINT and SIGTERM as a descriptor that poll() watches, so that the event
// loop finishes its step and everything is released on the way out.
#pragma once

namespace kovr::sim {

class SignalDescriptor {
public:
    // Blocks both signals for the process; they stay blocked after it goes,
    // so that a second one can't cut the report at the end short. Throws
    // std::runtime_error when the descriptor can't be made.
    SignalDescriptor();
    ~SignalDescriptor();
    SignalDescriptor(const SignalDescriptor &) = delete;
    SignalDescriptor &operator=(const SignalDescriptor &) = delete;

    int fd() const { return fd_; }
    // Takes the signal that made the descriptor readable.
    void Consume() const;

private:
    int fd_ = -1;
};

} // namespace kovr::sim
