// Applying a checked plan to the devices a search found: each one not
// found, unchanged, or changed and verified by a query, several at once.
// A network that loses datagrams is expected: a device the search missed is
// asked for by its MAC, and a change that times out is checked and made
// again until it holds or the deadline passes. On such a network most of
// the run is spent waiting out time-outs, so once one is seen more devices
// are taken at once, and a missed device is asked for more often.
//
// Public API only, through a table of calls, so that the tests can script
// the devices' answers.
#pragma once

#include "common/command_guard.h"
#include "common/plan.h"
#include "common/settings_change.h"

#include <kovr/kovr.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kovr::common {

struct ApplyCalls {
    DeviceCalls device;
    // Each worker opens its own session with it, and closes it when done.
    std::function<KOVR_HANDLE()> openSession;
    void (*closeSession)(KOVR_HANDLE h);
    int32_t (*getLastErrorMessage)(KOVR_HANDLE h, char *buffer, uint32_t size);
};

enum class Outcome {
    NotFound,
    Unchanged,
    WouldChange,
    Verified,   // made, and a query shows the device holds it
    Unverified, // may have been made, but no query could confirm it
    Failed,
    Cancelled, // never started: the run was stopped first
};

struct DeviceReport {
    MacAddress mac;
    Outcome outcome = Outcome::NotFound;
    DeviceSettings before; // NotFound: unknown
    DeviceSettings after;  // what the plan asks for
    // Why it failed or is unverified, the mismatch the verifying query
    // found, or how it was verified when its reply was lost.
    std::string detail;
};

constexpr unsigned kDefaultParallel = 16;
constexpr unsigned kMaxParallel = 64;
constexpr std::chrono::minutes kDefaultApplyDeadline{3};

struct ApplySettings {
    bool dryRun = false;
    unsigned parallel = kDefaultParallel;
    // Once a query or command had to be asked again: a time-out is a wait,
    // not traffic. Never fewer than `parallel`.
    unsigned parallelOnLoss = kMaxParallel;
    // Serves every entry without a password of its own; none in a dry run.
    // A change with neither fails without being sent.
    const Password *sharedPassword = nullptr;
    // No command or query starts after it, not even a device's first; one
    // in flight ends within the library's own limit.
    Clock::time_point deadline = Clock::now() + kDefaultApplyDeadline;
    // Once set, no further device is started; the devices in hand finish,
    // and those never started end Cancelled.
    const std::atomic<bool> *stop = nullptr;
    // Once per entry, as soon as its report is final; possibly from
    // several worker threads at once, so it must not throw.
    std::function<void(size_t index, const DeviceReport &report)> onReport;
    // Whether each password may leave, and how (command_guard.h). A pinned
    // device is asked for its settings before anything is judged unchanged
    // or sent, and an impostor's answer ends its entry failed, never
    // retried. None: every device is commanded as the library does by
    // default.
    CommandGuard *guard = nullptr;
};

// What an entry asks of a device that holds `current`: DHCP, the static
// settings, or for an entry without a change, what it holds.
DeviceSettings WantedSettings(const PlanEntry &entry, const DeviceSettings &current);

// One report per entry, in plan order. Each entry's password is wiped as
// soon as nothing more is sent to its device.
std::vector<DeviceReport> ApplyPlan(const ApplyCalls &calls, std::vector<PlanEntry> &entries,
                                    const std::vector<KOVRDeviceInfoRecord> &found, const ApplySettings &settings);

} // namespace kovr::common
