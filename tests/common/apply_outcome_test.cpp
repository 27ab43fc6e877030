// Which apply outcomes are bad and how a run is summed up, for kovr apply
// and the locator's Configure Selected Devices alike.
#include "common/apply_outcome.h"

#include <gtest/gtest.h>

using namespace kovr::common;

namespace {

std::vector<DeviceReport> Reports(std::initializer_list<Outcome> outcomes)
{
    std::vector<DeviceReport> reports;
    for (Outcome outcome : outcomes) {
        reports.emplace_back().outcome = outcome;
    }
    return reports;
}

TEST(ApplyOutcome, OnlyADeviceThatHoldsThePlanIsGood)
{
    const struct {
        Outcome outcome;
        bool bad;
    } cases[] = {{Outcome::Verified, false},  {Outcome::Unchanged, false}, {Outcome::WouldChange, false},
                 {Outcome::Unverified, true}, {Outcome::Failed, true},     {Outcome::NotFound, true},
                 {Outcome::Cancelled, true}};
    for (const auto &c : cases) {
        EXPECT_EQ(IsBadOutcome(c.outcome), c.bad) << OutcomeName(c.outcome);
    }
}

TEST(ApplyOutcome, TheSummaryCountsEveryKindInOneOrder)
{
    const struct {
        const char *name;
        std::vector<DeviceReport> reports;
        std::string summary;
    } cases[] = {
        {"every kind, the last first",
         Reports({Outcome::Cancelled, Outcome::NotFound, Outcome::Failed, Outcome::Unverified, Outcome::Unchanged,
                  Outcome::WouldChange, Outcome::Verified, Outcome::Verified}),
         "2 verified, 1 to change, 1 unchanged, 1 unverified, 1 failed, 1 not found, 1 cancelled"},
        {"a run that went well", Reports({Outcome::Verified, Outcome::Unchanged}),
         "1 verified, 1 unchanged, 0 unverified, 0 failed, 0 not found"},
        {"a dry run", Reports({Outcome::WouldChange, Outcome::Unchanged}),
         "0 verified, 1 to change, 1 unchanged, 0 unverified, 0 failed, 0 not found"},
        {"a stopped run", Reports({Outcome::Verified, Outcome::Cancelled, Outcome::Cancelled}),
         "1 verified, 0 unchanged, 0 unverified, 0 failed, 0 not found, 2 cancelled"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(ApplySummary(c.reports), c.summary) << c.name;
    }
}

} // namespace
