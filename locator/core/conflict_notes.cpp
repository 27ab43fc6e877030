#include "locator/core/conflict_notes.h"

#include "common/printable_text.h"

namespace kovr::locator {

namespace {

// Problems that a new address mends; the others say what to do themselves.
bool IsAddressProblem(common::ProblemKind kind)
{
    return kind == common::ProblemKind::DuplicateAddress || kind == common::ProblemKind::Unreachable;
}

} // namespace

std::vector<std::vector<RowProblem>> ConflictProblems(const std::vector<KOVRDeviceInfoRecord> &devices,
                                                      const std::vector<common::LocalSubnet> &localSubnets,
                                                      const std::vector<common::MacAddress> &conflictingChallenges)
{
    std::vector<std::vector<RowProblem>> problems(devices.size());
    for (const common::Problem &problem : common::CheckDevices(devices, localSubnets, conflictingChallenges)) {
        if (!IsAddressProblem(problem.kind) && problem.kind != common::ProblemKind::ConflictingChallenge) {
            continue;
        }
        for (size_t position : problem.devices) {
            // The sentences quote the devices' names.
            problems[position].push_back({problem.kind, common::DisplayText(problem.message)});
        }
    }
    return problems;
}

std::string ConflictNote(const std::vector<RowProblem> &problems, const std::string &advice)
{
    std::string note;
    for (const RowProblem &problem : problems) {
        note += (note.empty() ? "" : "\n") + problem.text;
        if (IsAddressProblem(problem.kind)) {
            note += '\n' + advice;
        }
    }
    return note;
}

} // namespace kovr::locator
