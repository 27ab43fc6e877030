// Applying a checked plan to the devices a search found: each one not
// found, unchanged, or changed and verified by a query, several at once.
#pragma once

#include "tools/kovr/plan.h"

#include <kovr/kovr.h>

#include <vector>

namespace kovr::cli {

enum class Outcome { NotFound, Unchanged, WouldChange, Changed, Failed };

// A device's setting as found or as asked for.
struct SettingView {
    bool dhcp = false;
    NetworkSetting network;
};

struct DeviceReport {
    MacAddress mac;
    Outcome outcome = Outcome::NotFound;
    SettingView before; // NotFound: unknown
    SettingView after;  // what the plan asks for
    // "verified", the mismatch found by the verifying query, or why the
    // command failed.
    std::string detail;
};

struct ApplySettings {
    bool dryRun = false;
    unsigned parallel = 8;
    // Serves every entry without a password of its own; none in a dry run.
    const Password *sharedPassword = nullptr;
};

// One report per entry, in plan order. Each entry's password is wiped as
// soon as its command has been sent.
std::vector<DeviceReport> ApplyPlan(std::vector<PlanEntry> &entries, const std::vector<KOVRDeviceInfoRecord> &found,
                                    const ApplySettings &settings);

} // namespace kovr::cli
