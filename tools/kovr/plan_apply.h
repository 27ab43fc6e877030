// Applying a checked plan to the devices a search found: each one not
// found, unchanged, or changed and verified by a query, several at once.
// A network that loses datagrams is expected: a device the search missed is
// asked for by its MAC, and a change that times out is checked and made
// again until it holds or the deadline passes.
#pragma once

#include "tools/kovr/plan.h"

#include "common/settings_change.h"

#include <kovr/kovr.h>

#include <chrono>
#include <vector>

namespace kovr::cli {

enum class Outcome {
    NotFound,
    Unchanged,
    WouldChange,
    Verified,   // made, and a query shows the device holds it
    Unverified, // may have been made, but no query could confirm it
    Failed,
};

struct DeviceReport {
    MacAddress mac;
    Outcome outcome = Outcome::NotFound;
    common::DeviceSettings before; // NotFound: unknown
    common::DeviceSettings after;  // what the plan asks for
    // Why it failed or is unverified, the mismatch the verifying query
    // found, or how it was verified when its reply was lost.
    std::string detail;
};

constexpr unsigned kDefaultParallel = 16;
constexpr std::chrono::minutes kDefaultApplyDeadline{3};

struct ApplySettings {
    bool dryRun = false;
    unsigned parallel = kDefaultParallel;
    // Serves every entry without a password of its own; none in a dry run.
    const Password *sharedPassword = nullptr;
    // No command or query starts after it.
    common::Clock::time_point deadline = common::Clock::now() + kDefaultApplyDeadline;
};

// One report per entry, in plan order. Each entry's password is wiped as
// soon as nothing more is sent to its device.
std::vector<DeviceReport> ApplyPlan(std::vector<PlanEntry> &entries, const std::vector<KOVRDeviceInfoRecord> &found,
                                    const ApplySettings &settings);

} // namespace kovr::cli
