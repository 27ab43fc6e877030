#include "locator/core/search_job.h"

#include "locator/core/workers.h"

namespace kovr::locator {

SearchJob::SearchJob(const LibrarySeam &library, std::shared_ptr<DevicePins> pins, PostToUi post)
    : library_(library), pins_(std::move(pins)), post_(std::move(post))
{}

SearchJob::~SearchJob()
{
    Cancel();
}

bool SearchJob::Start(KOVR_HANDLE session, std::function<void(const Found &)> done)
{
    if (running_) {
        return false;
    }
    running_ = true;
    // Shared with the worker, which may outlive the job.
    wakeup_ = std::make_shared<common::SearchWakeup>();
    auto finish = [this, done = std::move(done)](const Found &found) {
        running_ = false;
        wakeup_.reset();
        done(found);
    };
    ApplicationWorkers().Start([library = &library_, session, wakeup = wakeup_, pins = pins_, post = post_,
                                finish = lifetime_.Guard(std::move(finish))]() mutable {
        auto found = std::make_shared<Found>();
        common::ChallengeSightings sightings;
        library->Search(session, found->devices, *wakeup, sightings);
        pins->Learn(sightings);
        found->conflictingChallenges = sightings.Conflicting();
        post([finish = std::move(finish), found]() mutable { finish(*found); });
    });
    return true;
}

void SearchJob::Cancel()
{
    lifetime_.End();
    if (wakeup_) {
        wakeup_->Cancel();
        wakeup_.reset();
    }
    running_ = false;
}

} // namespace kovr::locator
