#include "locator/core/workers.h"

namespace kovr::locator {

Workers::~Workers()
{
    JoinAll();
}

void Workers::Start(std::function<void()> work)
{
    JoinEnded();
    auto ended = std::make_shared<bool>(false);
    std::lock_guard<std::mutex> lock(mutex_);
    workers_.push_back({std::thread([this, ended, work = std::move(work)] {
                            work();
                            std::lock_guard<std::mutex> lock(mutex_);
                            *ended = true;
                        }),
                        ended});
}

void Workers::JoinEnded()
{
    std::list<Worker> ended;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = workers_.begin(); it != workers_.end();) {
            const auto next = std::next(it);
            if (*it->ended) {
                ended.splice(ended.end(), workers_, it);
            }
            it = next;
        }
    }
    for (Worker &worker : ended) {
        worker.thread.join();
    }
}

void Workers::JoinAll()
{
    std::list<Worker> all;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        all.swap(workers_);
    }
    for (Worker &worker : all) {
        worker.thread.join();
    }
}

Workers &ApplicationWorkers()
{
    static Workers workers;
    return workers;
}

} // namespace kovr::locator
