// What kovr metrics writes: one search's devices, their problems and how
// the search went, as Prometheus gauges.
#pragma once

#include "common/device_checks.h"

#include <kovr/kovr.h>

#include <chrono>
#include <string>
#include <vector>

namespace kovr::cli {

struct SearchRun {
    bool succeeded = false;
    std::chrono::duration<double> duration{};
    std::chrono::system_clock::time_point finished;
};

// A failed run writes only its own gauges: an empty device list from a
// search that didn't happen must not read as a segment without devices.
// The interfaces are those searched; each has a device count, 0 included.
std::string MetricsText(const SearchRun &run, const std::vector<KOVRDeviceInfoRecord> &devices,
                        const std::vector<common::Problem> &problems,
                        const std::vector<common::LocalSubnet> &interfaces);

} // namespace kovr::cli
