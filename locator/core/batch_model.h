// Configure Selected Devices and Apply Plan as data: the devices of the
// batch, the change each is to get (from either source of entries), the
// preview with what `kovr check` would find once the changes are made, and
// the apply job, which runs kovr apply's code on a worker with a report per
// device, its passwords guarded as kovr apply guards them (a pinned device
// that answers without its challenge fails, the user is asked once a run
// before passwords cross the segment in clear, or, with a challenge
// required, such devices fail), can be stopped between devices, and ends
// with counts and a CSV.
#pragma once

#include "common/apply_outcome.h"
#include "common/device_checks.h"
#include "common/password.h"
#include "common/plan.h"
#include "common/plan_apply.h"
#include "locator/core/device_pins.h"
#include "locator/core/library_seam.h"
#include "locator/core/texts.h"
#include "locator/core/ui_question.h"
#include "locator/core/ui_thread.h"

#include <kovr/kovr.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kovr::locator {

// The main window's devices, in list order, and this host's subnets.
struct BatchDevices {
    std::vector<KOVRDeviceInfoRecord> list;
    std::vector<common::LocalSubnet> localSubnets;
};

// One device of the preview.
struct PreviewRow {
    std::string mac;
    std::string name;
    std::string current;
    Message change;      // the new setting, "(unchanged)", or nothing while the entries have a problem
    Message status;      // "ready", "nothing to send", or the problems found
    bool marked = false; // problems found: a warning, or an error that keeps Apply off
    bool error = false;
};

class BatchModel {
public:
    struct Listener {
        // As each device's outcome is final.
        std::function<void(size_t index, const common::DeviceReport &report)> reported;
        // Once the run has ended; the reports are then in Reports().
        std::function<void()> ended;
    };

    // The devices at `positions` (in the list, in batch order). `confirm`
    // asks the user, once a run, before passwords cross the segment in clear.
    BatchModel(const LibrarySeam &library, BatchDevices devices, std::vector<size_t> positions,
               std::shared_ptr<DevicePins> pins, PostToUi post, Confirm confirm);
    // Torn down while an apply runs: the devices in hand are finished, and
    // nothing more is started.
    ~BatchModel();
    BatchModel(const BatchModel &) = delete;
    BatchModel &operator=(const BatchModel &) = delete;

    size_t Size() const { return positions_.size(); }
    const BatchDevices &Devices() const { return devices_; }
    const std::vector<size_t> &Positions() const { return positions_; }
    const KOVRDeviceInfoRecord &DeviceAt(size_t index) const { return devices_.list[positions_[index]]; }

    // The change for each device, in batch order, with their own passwords
    // where a plan gives them; or what keeps the changes from being known.
    void SetEntries(std::vector<common::PlanEntry> entries);
    void SetProblem(const Message &problem);
    const std::vector<PreviewRow> &Preview() const { return preview_; }
    // Why Apply is off: the entries' problem, or the first device marked as
    // an error.
    const std::optional<Message> &Blocker() const { return blocker_; }
    // Some device has no password of its own, so the one password serves.
    bool NeedsSharedPassword() const;
    // "Require a challenge", as kovr apply --require-digest: a device that
    // offers none fails, with nothing sent, instead of being asked about.
    void SetRequireChallenge(bool require) { requireChallenge_ = require; }
    bool RequiresChallenge() const { return requireChallenge_; }

    // Applies the entries with the shared password (none when no device
    // needs it). False when Apply is off or a run has already started.
    bool Apply(std::unique_ptr<common::Password> shared, Listener listener);
    // From Apply until `ended` has run.
    bool Applying() const { return applying_; }
    // Once a run has ended: the list should be searched again.
    bool Applied() const { return !reports_.empty(); }
    // No further device is started; those never started end cancelled.
    void Stop();

    const std::vector<common::DeviceReport> &Reports() const { return reports_; }
    // The counts as kovr apply sums them up (common::ApplySummary).
    std::string Summary() const;
    // The outcome table as CSV: mac, name, outcome, before, after, detail.
    std::string OutcomesCsv() const;

private:
    struct Job;
    void UpdatePreview();

    const LibrarySeam &library_;
    const BatchDevices devices_;
    const std::vector<size_t> positions_;
    std::shared_ptr<DevicePins> pins_;
    PostToUi post_;
    std::shared_ptr<UiQuestion> question_;
    bool requireChallenge_ = false;
    std::vector<common::PlanEntry> entries_;
    std::vector<PreviewRow> preview_;
    std::optional<Message> blocker_;

    Lifetime lifetime_;
    std::shared_ptr<Job> job_;
    std::thread worker_;
    bool applying_ = false;
    std::vector<common::DeviceReport> reports_;
};

// An outcome as the preview's status column shows it: "verified", or
// "failed: the reason".
std::string OutcomeCell(const common::DeviceReport &report);
// Marked in the table, as kovr apply judges it.
using common::IsBadOutcome;

} // namespace kovr::locator
