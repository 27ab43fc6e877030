// The locator's worker threads. A worker may outlive the window that started
// it (a command the device has to answer, which nobody can cut short), so
// the workers belong to the application: each is joined once it has ended,
// and all of them when the application ends.
#pragma once

#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

namespace kovr::locator {

class Workers {
public:
    Workers() = default;
    ~Workers();
    Workers(const Workers &) = delete;
    Workers &operator=(const Workers &) = delete;

    // Runs the work on a thread of its own.
    void Start(std::function<void()> work);
    // Waits for every worker; the faces call it as the application ends.
    void JoinAll();

private:
    struct Worker {
        std::thread thread;
        std::shared_ptr<bool> ended; // under mutex_
    };
    void JoinEnded();

    std::mutex mutex_;
    std::list<Worker> workers_;
};

// The application's workers.
Workers &ApplicationWorkers();

} // namespace kovr::locator
