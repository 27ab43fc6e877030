#include "guarded_list.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/fault_injection.h"

namespace kovr {
namespace {

class GuardedListTest : public ::testing::Test {
protected:
    void SetUp() override { list_ = CreateList(); }
    void TearDown() override
    {
        platform::DisarmAllFaults();
        DestroyList(list_);
    }

    std::vector<void *> Items() const
    {
        std::vector<void *> items;
        for (int32_t i = 0; i < Count(list_); ++i) {
            items.push_back(EntryAt(list_, i));
        }
        return items;
    }

    GuardedList *list_ = nullptr;
    int a_ = 0, b_ = 0, c_ = 0, d_ = 0;
};

TEST_F(GuardedListTest, AppendReturnsPositionAndRefusesDuplicates)
{
    EXPECT_EQ(Append(list_, &a_), 0);
    EXPECT_EQ(Append(list_, &a_), -1);
    EXPECT_EQ(Count(list_), 1);
    EXPECT_EQ(Append(list_, &b_), 1);
    EXPECT_EQ(Append(list_, &c_), 2);
    EXPECT_EQ(Append(list_, &d_), 3);
    EXPECT_EQ(Items(), (std::vector<void *>{&a_, &b_, &c_, &d_}));
    EXPECT_TRUE(Contains(list_, &c_));
    EXPECT_FALSE(Contains(list_, &list_));
}

TEST_F(GuardedListTest, EntryAtAndPopFrontAtTheEdges)
{
    EXPECT_EQ(PopFront(list_), nullptr);
    EXPECT_EQ(EntryAt(list_, 0), nullptr);
    Append(list_, &a_);
    Append(list_, &b_);
    EXPECT_EQ(EntryAt(list_, -1), nullptr);
    EXPECT_EQ(EntryAt(list_, Count(list_)), nullptr);
    EXPECT_EQ(EntryAt(list_, 1), &b_);

    EXPECT_EQ(PopFront(list_), &a_);
    EXPECT_EQ(PopFront(list_), &b_);
    EXPECT_EQ(PopFront(list_), nullptr);
    EXPECT_EQ(list_->first, nullptr);
    EXPECT_EQ(list_->last, nullptr);
    // Usable again after being emptied from the front.
    EXPECT_EQ(Append(list_, &c_), 0);
    EXPECT_EQ(Items(), (std::vector<void *>{&c_}));
}

TEST_F(GuardedListTest, RemoveEntryRelinksNeighbours)
{
    Append(list_, &a_);
    RemoveEntry(list_, &a_);
    EXPECT_EQ(Count(list_), 0);
    EXPECT_EQ(list_->first, nullptr);
    EXPECT_EQ(list_->last, nullptr);

    Append(list_, &a_);
    Append(list_, &b_);
    Append(list_, &c_);
    RemoveEntry(list_, &b_);
    EXPECT_EQ(Items(), (std::vector<void *>{&a_, &c_}));
    RemoveEntry(list_, &d_); // not in the list
    EXPECT_EQ(Count(list_), 2);
    RemoveEntry(list_, &c_);
    EXPECT_EQ(Append(list_, &d_), 1);
    RemoveEntry(list_, &a_);
    EXPECT_EQ(Items(), (std::vector<void *>{&d_}));
    EXPECT_EQ(PopFront(list_), &d_);
    EXPECT_EQ(list_->last, nullptr);
}

TEST_F(GuardedListTest, ClearKeepsTheItemsAlive)
{
    std::vector<int> values(5, 7);
    for (int &value : values) {
        Append(list_, &value);
    }
    Clear(list_);
    EXPECT_EQ(Count(list_), 0);
    EXPECT_EQ(values, std::vector<int>(5, 7));
    EXPECT_EQ(Append(list_, &values[0]), 0);
}

TEST_F(GuardedListTest, FindFirstReturnsTheEarliestMatch)
{
    int first = 4;
    int second = 4;
    int other = 9;
    Append(list_, &other);
    Append(list_, &first);
    Append(list_, &second);
    const auto equalInts = [](const void *key, const void *item) {
        return *static_cast<const int *>(key) == *static_cast<const int *>(item) ? 0 : 1;
    };
    const int key = 4;
    const int missing = 5;
    EXPECT_EQ(FindFirst(list_, equalInts, &key), &first);
    EXPECT_EQ(FindFirst(list_, equalInts, &missing), nullptr);
    EXPECT_EQ(FindFirst(list_, nullptr, &key), nullptr);
}

TEST_F(GuardedListTest, FailedNodeAllocationLeavesTheListUnchanged)
{
    Append(list_, &a_);
    platform::ArmFault(platform::Fault::ListNodeAllocation, 1);
    EXPECT_EQ(Append(list_, &b_), -1);
    EXPECT_EQ(Items(), (std::vector<void *>{&a_}));
    EXPECT_EQ(Append(list_, &b_), 1);
}

TEST_F(GuardedListTest, AppendNewQueuesLikeAppendWithoutTheLookup)
{
    Append(list_, &a_);
    EXPECT_EQ(AppendNew(list_, &b_), 1);
    EXPECT_EQ(Append(list_, &c_), 2);
    platform::ArmFault(platform::Fault::ListNodeAllocation, 1);
    EXPECT_EQ(AppendNew(list_, &d_), -1);
    EXPECT_EQ(Items(), (std::vector<void *>{&a_, &b_, &c_}));
    EXPECT_EQ(AppendNew(nullptr, &d_), -1);
}

TEST(GuardedListMissing, EveryOperationIsHarmless)
{
    int item = 0;
    EXPECT_EQ(Count(nullptr), -1);
    EXPECT_EQ(Append(nullptr, &item), -1);
    EXPECT_EQ(PopFront(nullptr), nullptr);
    EXPECT_EQ(EntryAt(nullptr, 0), nullptr);
    EXPECT_FALSE(Contains(nullptr, &item));
    EXPECT_EQ(FindFirst(nullptr, [](const void *, const void *) { return 0; }, &item), nullptr);
    RemoveEntry(nullptr, &item);
    Clear(nullptr);
    LockList(nullptr);
    UnlockList(nullptr);
    InitList(nullptr);
    DestroyList(nullptr);
}

TEST(GuardedListLock, IsMadeAtFirstUseWhenTheListHasNone)
{
    static GuardedList list; // as the session registry: no lock until used
    int item = 0;
    EXPECT_EQ(list.lock.load(), nullptr);
    EXPECT_EQ(Append(&list, &item), 0);
    EXPECT_NE(list.lock.load(), nullptr);
    EXPECT_EQ(PopFront(&list), &item);
}

TEST(GuardedListLock, IsRecursiveAndExcludesOtherThreads)
{
    GuardedList *list = CreateList();
    int mine = 0;
    int theirs = 0;
    std::atomic<bool> appended{false};

    LockList(list);
    // The same thread takes the lock again inside each operation.
    EXPECT_EQ(Append(list, &mine), 0);
    std::thread other([&] {
        Append(list, &theirs);
        appended = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(appended.load());
    EXPECT_EQ(Count(list), 1);
    UnlockList(list);
    other.join();
    EXPECT_TRUE(appended.load());
    EXPECT_EQ(Count(list), 2);
    DestroyList(list);
}

TEST(GuardedListLock, ConcurrentAppendsAndPopsLoseNothing)
{
    static GuardedList list; // the lock is raced for by the first appends
    constexpr int kPerThread = 2000;
    std::vector<int> items(2 * kPerThread);
    std::atomic<int> popped{0};
    auto append = [&](int from) {
        for (int i = from; i < from + kPerThread; ++i) {
            ASSERT_GE(Append(&list, &items[i]), 0);
        }
    };
    auto pop = [&] {
        for (int i = 0; i < kPerThread; ++i) {
            if (PopFront(&list) != nullptr) {
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
    EXPECT_EQ(Count(&list) + popped.load(), 2 * kPerThread);
    Clear(&list);
}

} // namespace
} // namespace kovr
