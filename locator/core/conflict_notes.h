// What keeps the user from reaching a listed device, or from trusting it,
// and what to do about it.
#pragma once

#include "common/device_checks.h"
#include "common/mac_address_text.h"

#include <string>
#include <vector>

namespace kovr::locator {

// One problem of a row: its kind and its sentence, safe to show.
struct RowProblem {
    common::ProblemKind kind;
    std::string text;

    bool operator==(const RowProblem &other) const { return kind == other.kind && text == other.text; }
};

// For each device of the list, in list order, its problems: a shared
// address, an address outside every local subnet, and replies that
// disagree about its challenge (the MACs in conflictingChallenges). Empty
// for a device without one.
std::vector<std::vector<RowProblem>> ConflictProblems(const std::vector<KOVRDeviceInfoRecord> &devices,
                                                      const std::vector<common::LocalSubnet> &localSubnets,
                                                      const std::vector<common::MacAddress> &conflictingChallenges);

// A row's note: each problem, one a line, an address problem followed by
// the advice; empty when there is no problem.
std::string ConflictNote(const std::vector<RowProblem> &problems, const std::string &advice);

} // namespace kovr::locator
