// A session closed on one thread while another waits in its synchronous
// search: the search ends at once instead of running out its limits, and
// the handle is refused from then on.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "kovr/kovr.h"
#include "tests/support/guids.h"

namespace kovr {
namespace {

using Clock = std::chrono::steady_clock;

TEST(CloseDuringSearch, ASynchronousSearchEndsWithItsSession)
{
    const struct {
        const char *what;
        uint32_t idleLimitMs;
        uint32_t totalLimitMs;
    } cases[] = {
        {"idle limit without end", KOVR_INFINITE, 60000},
        {"total limit without end", 60000, KOVR_INFINITE},
    };
    for (const auto &c : cases) {
        KOVR_HANDLE handle = KOVROpenByGuid(&test::kLocatorGuid);
        ASSERT_NE(handle, nullptr) << c.what;
        const Clock::time_point started = Clock::now();
        // Nothing answers here, so only the close can end the search early.
        auto search = std::async(std::launch::async,
                                 [&] { return KOVRStartSyncSearchEx(handle, c.idleLimitMs, c.totalLimitMs); });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        KOVRClose(handle);
        ASSERT_EQ(search.wait_for(std::chrono::seconds(10)), std::future_status::ready) << c.what;
        EXPECT_EQ(search.get(), 0) << c.what;
        EXPECT_LT(Clock::now() - started, std::chrono::seconds(10)) << c.what;
        EXPECT_EQ(KOVRGetSearchResultCount(handle), -1) << c.what;
        EXPECT_EQ(KOVRStartSyncSearchEx(handle, 100, 100), -1) << c.what;
    }
}

} // namespace
} // namespace kovr
