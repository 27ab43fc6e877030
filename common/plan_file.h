// A plan file as kovr apply and the locator read it: read whole into a
// buffer that is wiped, parsed, checked, and refused when it holds
// passwords that other users may read.
#pragma once

#include "common/plan.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kovr::common {

// Far beyond any plan for a network's devices; a larger file is a mistake.
constexpr size_t kMaxPlanBytes = 16 * 1024 * 1024;

// The plan's entries, or none and every fault found, each one sentence
// naming its line or JSON index where it has one.
struct PlanFile {
    std::vector<PlanEntry> entries;
    std::vector<std::string> faults;
};
PlanFile LoadPlanFile(const std::string &path);

} // namespace kovr::common
