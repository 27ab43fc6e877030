#include "discovery/guarded_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "discovery/handle_registry.h"
#include "discovery/platform/fault_injection.h"

namespace kovr {
namespace {

class GuardedListTest : public ::testing::Test {
protected:
    void TearDown() override { platform::DisarmAllFaults(); }

    std::vector<int> Items() const
    {
        std::vector<int> items;
        list_.ForEach([&items](int item) { items.push_back(item); });
        return items;
    }

    GuardedList<int> list_;
};

TEST_F(GuardedListTest, KeepsItemsInOrderAndTakesThemFromTheFront)
{
    int item = -1;
    EXPECT_FALSE(list_.PopFront(&item));
    EXPECT_EQ(list_.Append(1), 0);
    EXPECT_EQ(list_.Append(2), 1);
    EXPECT_EQ(list_.Append(3), 2);
    EXPECT_EQ(Items(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(list_.PopFront(&item));
    EXPECT_EQ(item, 1);
    EXPECT_TRUE(list_.PopFront(&item));
    EXPECT_TRUE(list_.PopFront(&item));
    EXPECT_EQ(item, 3);
    EXPECT_FALSE(list_.PopFront(&item));
    // Usable again after being emptied from the front.
    EXPECT_EQ(list_.Append(4), 0);
    EXPECT_EQ(list_.Count(), 1);
}

TEST_F(GuardedListTest, RemoveFirstTakesOnlyTheEarliestMatch)
{
    for (int value : {9, 4, 5, 4}) {
        list_.Append(value);
    }
    int removed = 0;
    EXPECT_TRUE(list_.RemoveFirst([](int item) { return item == 4; }, &removed));
    EXPECT_EQ(removed, 4);
    EXPECT_EQ(Items(), (std::vector<int>{9, 5, 4}));
    EXPECT_FALSE(list_.RemoveFirst([](int item) { return item == 7; }));
    EXPECT_TRUE(list_.RemoveFirst([](int item) { return item == 4; }));
    EXPECT_TRUE(list_.RemoveFirst([](int item) { return item == 9; }));
    EXPECT_EQ(Items(), (std::vector<int>{5}));

    int seen = 0;
    EXPECT_TRUE(list_.VisitFirst([](int item) { return item == 5; }, [&seen](int item) { seen = item; }));
    EXPECT_EQ(seen, 5);
    EXPECT_FALSE(list_.VisitFirst([](int item) { return item == 6; }, [&seen](int) { seen = -1; }));
    EXPECT_EQ(seen, 5);
}

TEST_F(GuardedListTest, ClearReleasesWhatTheListOwned)
{
    GuardedList<std::shared_ptr<int>> owners;
    auto item = std::make_shared<int>(7);
    owners.Append(item);
    owners.Append(item);
    EXPECT_EQ(item.use_count(), 3);
    owners.Clear();
    EXPECT_EQ(owners.Count(), 0);
    EXPECT_EQ(item.use_count(), 1);
}

TEST_F(GuardedListTest, FailedNodeAllocationLeavesTheListUnchanged)
{
    list_.Append(1);
    platform::ArmFault(platform::Fault::ListNodeAllocation, 1);
    EXPECT_EQ(list_.Append(2), -1);
    EXPECT_EQ(Items(), (std::vector<int>{1}));
    EXPECT_EQ(list_.Append(2), 1);
}

TEST(GuardedListLock, ConcurrentAppendsAndPopsLoseNothing)
{
    GuardedList<int> list;
    constexpr int kPerThread = 2000;
    std::atomic<int> popped{0};
    auto append = [&](int from) {
        for (int i = from; i < from + kPerThread; ++i) {
            ASSERT_GE(list.Append(i), 0);
        }
    };
    auto pop = [&] {
        int item = 0;
        for (int i = 0; i < kPerThread; ++i) {
            if (list.PopFront(&item)) {
                popped++;
            }
        }
    };
    std::thread first(append, 0);
    std::thread second(append, kPerThread);
    std::thread popper(pop);
    first.join();
    second.join();
    popper.join();
    EXPECT_EQ(list.Count() + popped.load(), 2 * kPerThread);
}

TEST(HandleRegistry, HandlesAreNeverReusedAndOwnershipOutlivesRemoval)
{
    HandleRegistry<int> registry;
    const uintptr_t first = registry.Add(std::make_shared<int>(1));
    std::shared_ptr<int> held = registry.Find(first);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(registry.Remove(first), held);
    EXPECT_EQ(registry.Find(first), nullptr) << "a closed handle stays closed";
    EXPECT_EQ(*held, 1) << "a call that holds the object keeps it";

    const uintptr_t second = registry.Add(std::make_shared<int>(2));
    EXPECT_NE(second, first);
    EXPECT_EQ(registry.Find(first), nullptr);
    EXPECT_EQ(*registry.Find(second), 2);
    EXPECT_EQ(registry.Find(0), nullptr);
}

} // namespace
} // namespace kovr
