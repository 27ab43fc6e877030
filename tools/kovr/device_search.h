// The one search that search, check and apply start with: its --requests,
// --idle and --total options, and the run with a progress line on a
// terminal.
#pragma once

#include "tools/kovr/session.h"

#include "common/repeated_search.h"

#include <CLI/CLI.hpp>

#include <kovr/kovr.h>

#include <string>
#include <vector>

namespace kovr::cli {

// --requests N: how many discovery requests a search sends (watch has it
// too); without it, as many as keep finding devices.
void AddRequestsOption(CLI::App &command, unsigned &requests);

struct SearchLimits {
    unsigned requests = common::kRequestsWhileFinding;
    uint32_t idleMs = common::kDefaultSearchIdleMs;
    uint32_t totalMs = common::kDefaultSearchTotalMs;
};
// --requests, --idle and --total; each help text gives the field's value
// at the call as the default.
void AddSearchLimitOptions(CLI::App &command, SearchLimits &limits);

// Searches through the session (and, for the later requests, sessions like
// it) and takes every device found, once each; every reply also goes into
// `sightings` when given. Returns the exit status: 0, or the failure
// already reported on stderr.
int SearchDevices(Session &session, const SearchLimits &limits, std::vector<KOVRDeviceInfoRecord> &devices,
                  common::ChallengeSightings *sightings = nullptr);

} // namespace kovr::cli
