// The process-wide session registry gets its lock at first use. This test
// binary opens no session before the threads below race for that first use.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

#include "kovr/kovr.h"
#include "tests/discovery/device_session.h"

namespace {

using kovr::test::kLocatorGuid;

constexpr int kThreads = 8;
constexpr int kOpensPerThread = 20;

TEST(ConcurrentFirstOpen, EverySessionIsRegisteredOnce)
{
    std::atomic<int> ready{0};
    std::vector<std::vector<KOVR_HANDLE>> handles(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            // All threads leave the start line together.
            ready++;
            while (ready.load() < kThreads) {
                std::this_thread::yield();
            }
            for (int i = 0; i < kOpensPerThread; ++i) {
                handles[t].push_back(KOVROpenByGuid(&kLocatorGuid));
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }

    std::set<KOVR_HANDLE> distinct;
    for (const auto &mine : handles) {
        for (KOVR_HANDLE handle : mine) {
            ASSERT_NE(handle, nullptr);
            EXPECT_EQ(KOVRGetLastError(handle), 0);
            distinct.insert(handle);
        }
    }
    EXPECT_EQ(distinct.size(), static_cast<size_t>(kThreads * kOpensPerThread));

    threads.clear();
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (KOVR_HANDLE handle : handles[t]) {
                KOVRClose(handle);
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    for (KOVR_HANDLE handle : distinct) {
        EXPECT_EQ(KOVRGetLastError(handle), -1);
    }
}

} // namespace
