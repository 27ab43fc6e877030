// The one search that search, check and apply start with: its --idle and
// --total options, and the run with a progress line on a terminal.
#pragma once

#include "tools/kovr/session.h"

#include <CLI/CLI.hpp>

#include <kovr/kovr.h>

#include <string>
#include <vector>

namespace kovr::cli {

struct SearchLimits {
    std::string idle = "5000";
    std::string total = "60000";
};
void AddSearchLimitOptions(CLI::App &command, SearchLimits &limits);

// Searches through the session and takes every device found. Returns the
// exit status: 0, or the failure already reported on stderr.
int SearchDevices(Session &session, const SearchLimits &limits, std::vector<KOVRDeviceInfoRecord> &devices);

} // namespace kovr::cli
