#include "locator/core/conflict_notes.h"

#include "common/printable_text.h"

namespace kovr::locator {

std::vector<std::vector<std::string>> ConflictProblems(const std::vector<KOVRDeviceInfoRecord> &devices,
                                                       const std::vector<common::LocalSubnet> &localSubnets)
{
    using common::ProblemKind;
    std::vector<std::vector<std::string>> problems(devices.size());
    for (const common::Problem &problem : common::CheckDevices(devices, localSubnets)) {
        if (problem.kind != ProblemKind::DuplicateAddress && problem.kind != ProblemKind::Unreachable) {
            continue;
        }
        for (size_t position : problem.devices) {
            // The sentences quote the devices' names.
            problems[position].push_back(common::DisplayText(problem.message));
        }
    }
    return problems;
}

std::string ConflictNote(const std::vector<std::string> &problems, const std::string &advice)
{
    std::string note;
    for (const std::string &problem : problems) {
        note += (note.empty() ? "" : "\n") + problem + '\n' + advice;
    }
    return note;
}

} // namespace kovr::locator
