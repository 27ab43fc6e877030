#include "common/plan_file.h"

#include "common/secret_file.h"
#include "discovery/platform/secure_zero.h"

#include <algorithm>

namespace kovr::common {

PlanFile LoadPlanFile(const std::string &path)
{
    PlanFile plan;
    std::string text;
    bool othersMayRead = false;
    std::string error;
    std::vector<PlanRow> rows;
    const bool read =
        ReadSecretFile(path, kMaxPlanBytes, text, othersMayRead, error) && ReadPlanText(text, rows, error);
    platform::SecureZero(text.data(), text.size());
    if (!read) {
        plan.faults.push_back(error);
        return plan;
    }
    plan.entries = ValidatePlan(std::move(rows), plan.faults);
    const bool holdsPasswords = std::any_of(plan.entries.begin(), plan.entries.end(),
                                            [](const PlanEntry &entry) { return entry.password != nullptr; });
    if (holdsPasswords && othersMayRead) {
        plan.faults.push_back(std::string("holds passwords but ") + kOthersMayReadAdvice);
    }
    if (!plan.faults.empty()) {
        plan.entries.clear();
    }
    return plan;
}

} // namespace kovr::common
