// What kovr apply did: one line per device and a summary, or one JSON
// object with the same.
#pragma once

#include "tools/kovr/plan_apply.h"

#include <ostream>
#include <vector>

namespace kovr::cli {

// "verified", "unchanged", "would change", "unverified", "failed", "not found".
const char *OutcomeName(Outcome outcome);
// "DHCP" or "ip 10.77.1.20 mask 255.255.255.0 gateway 10.77.1.254".
std::string SettingText(const common::DeviceSettings &setting);

void WriteApplyReport(std::ostream &out, const std::vector<DeviceReport> &reports);
void WriteApplyJson(std::ostream &out, const std::vector<DeviceReport> &reports);

// 0 when every device is verified or unchanged (or, in a dry run, every
// device was found), else 1: an unverified change is not counted as made.
int ApplyExitStatus(const std::vector<DeviceReport> &reports);

} // namespace kovr::cli
