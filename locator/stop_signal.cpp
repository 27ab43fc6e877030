#include "locator/stop_signal.h"

void StopSignal::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
    }
    m_changed.notify_all();
}

bool StopSignal::Stopped() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stopped;
}

void StopSignal::Pause(std::chrono::milliseconds duration) const
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_changed.wait_for(lock, duration, [this] { return m_stopped; });
}
