#ifndef KOVR_LOCATOR_STOP_SIGNAL_H
#define KOVR_LOCATOR_STOP_SIGNAL_H

#include <chrono>
#include <condition_variable>
#include <mutex>

// Tells a wait on a worker thread that its window has gone: a pause ends at
// once, and the worker stops at its next look.
class StopSignal {
public:
    void Stop();
    bool Stopped() const;
    // Sleeps for `duration`, or less when stopped meanwhile.
    void Pause(std::chrono::milliseconds duration) const;

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    bool m_stopped = false;
};

#endif
