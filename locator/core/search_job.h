// Refresh List's search, on a worker so that the window keeps painting:
// the request sent several times through the window's session, each device
// once, oldest reply first. The devices seen offering a challenge are
// pinned; the devices found, and those whose replies disagreed about their
// challenge, reach the face on its UI thread.
#pragma once

#include "common/repeated_search.h"
#include "locator/core/device_pins.h"
#include "locator/core/library_seam.h"
#include "locator/core/ui_thread.h"

#include <kovr/kovr.h>

#include <functional>
#include <memory>
#include <vector>

namespace kovr::locator {

class SearchJob {
public:
    struct Found {
        std::vector<KOVRDeviceInfoRecord> devices;
        std::vector<common::MacAddress> conflictingChallenges;
    };

    SearchJob(const LibrarySeam &library, std::shared_ptr<DevicePins> pins, PostToUi post);
    ~SearchJob();
    SearchJob(const SearchJob &) = delete;
    SearchJob &operator=(const SearchJob &) = delete;

    // From Start until `done` has run.
    bool Running() const { return running_; }
    // Searches through the session; `done` then runs on the UI thread with
    // what was found. False while a search runs.
    bool Start(KOVR_HANDLE session, std::function<void(const Found &)> done);
    // The window goes: the search ends at its next wake (closing its
    // session ends its first request at once), and what it found is dropped.
    void Cancel();

private:
    const LibrarySeam &library_;
    std::shared_ptr<DevicePins> pins_;
    PostToUi post_;
    Lifetime lifetime_;
    std::shared_ptr<common::SearchWakeup> wakeup_; // of the running search
    bool running_ = false;
};

} // namespace kovr::locator
