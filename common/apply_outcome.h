// The words for what applying a plan did to a device and to the whole run,
// and which outcomes are bad, as kovr prints them and the locator shows them.
#pragma once

#include "common/plan_apply.h"

#include <string>
#include <utility>
#include <vector>

namespace kovr::common {

// "verified", "unchanged", "would change", "unverified", "failed",
// "not found", "cancelled".
const char *OutcomeName(Outcome outcome);
// "DHCP" or "ip 10.77.1.20 mask 255.255.255.0 gateway 10.77.1.254".
std::string SettingText(const DeviceSettings &setting);

// Failed, unverified, not found or cancelled: the device may not hold what
// the plan asks. A cancelled device was never sent its change, so a stopped
// run is no success: kovr apply exits 1, and the locator marks the row.
bool IsBadOutcome(Outcome outcome);

// Every outcome with its count, in the summary's order: verified, would
// change, unchanged, unverified, failed, not found, cancelled.
std::vector<std::pair<Outcome, size_t>> OutcomeCounts(const std::vector<DeviceReport> &reports);

// "2 verified, 1 unchanged, 0 unverified, 0 failed, 0 not found": the
// counts in OutcomeCounts' order, "N to change" only in a dry run (when
// some device would change) and "N cancelled" only when the run was stopped.
std::string ApplySummary(const std::vector<DeviceReport> &reports);

} // namespace kovr::common
