// What kovr metrics writes: one search's devices, their problems and how
// the search went, as Prometheus gauges.
#pragma once

#include "common/device_checks.h"

#include <kovr/kovr.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kovr::cli {

struct SearchRun {
    bool succeeded = false;
    std::chrono::duration<double> duration{};
    std::chrono::system_clock::time_point finished;
};

// The name of the interface that holds each local address (network order).
using InterfaceNames = std::map<uint32_t, std::string>;

// A failed run writes only its own gauges: an empty device list from a
// search that didn't happen must not read as a segment without devices.
// The interfaces are those searched; each has a device count, 0 included.
// A local address is labelled `address`, its interface's name `interface`
// (empty when the system didn't name it).
std::string MetricsText(const SearchRun &run, const std::vector<KOVRDeviceInfoRecord> &devices,
                        const std::vector<common::Problem> &problems,
                        const std::vector<common::LocalSubnet> &interfaces, const InterfaceNames &names);

} // namespace kovr::cli
