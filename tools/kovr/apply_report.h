// What kovr apply did: one line per device and a summary, or one JSON
// object with the same.
#pragma once

#include "common/apply_outcome.h"
#include "common/plan_apply.h"

#include <ostream>
#include <vector>

namespace kovr::cli {

using common::DeviceReport;
using common::Outcome;
using common::OutcomeName;

void WriteApplyReport(std::ostream &out, const std::vector<DeviceReport> &reports);
void WriteApplyJson(std::ostream &out, const std::vector<DeviceReport> &reports);

// 0 when every device is verified or unchanged (or, in a dry run, every
// device was found), else 1: an unverified change is not counted as made.
int ApplyExitStatus(const std::vector<DeviceReport> &reports);

} // namespace kovr::cli
