// The message window that stands in for a real window, and the worker
// threads of the platform layer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "discovery/handles.h"
#include "discovery/platform/fault_injection.h"
#include "discovery/platform/thread.h"
#include "kovr/kovr.h"

using namespace kovr;
using namespace kovr::platform;

namespace {

TEST(MessageWindow, HandsOutPostedMessagesOldestFirst)
{
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(IsLiveWindow(window));
    EXPECT_TRUE(PostWindowMessage(window, 0x401, 0, 7));
    EXPECT_TRUE(PostWindowMessage(window, 0x402, 1, -3));
    uint32_t message = 0;
    uintptr_t wParam = 9;
    intptr_t lParam = 0;
    ASSERT_EQ(KOVRGetWindowMessage(window, 0, &message, &wParam, &lParam), 0);
    EXPECT_EQ(message, 0x401u);
    EXPECT_EQ(wParam, 0u);
    EXPECT_EQ(lParam, 7);
    ASSERT_EQ(KOVRGetWindowMessage(window, 0, &message, &wParam, &lParam), 0);
    EXPECT_EQ(message, 0x402u);
    EXPECT_EQ(lParam, -3);
    EXPECT_EQ(KOVRGetWindowMessage(window, 20, &message, &wParam, &lParam), -2);
    KOVRDestroyMessageWindow(window);
}

TEST(MessageWindow, ADestroyedOrForeignWindowDoesNotExist)
{
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    KOVRDestroyMessageWindow(window);
    EXPECT_FALSE(IsLiveWindow(window));
    EXPECT_FALSE(PostWindowMessage(window, 1, 0, 0));
    EXPECT_EQ(KOVRGetWindowMessage(window, 0, nullptr, nullptr, nullptr), -1);
    KOVRDestroyMessageWindow(window); // a second destroy is ignored
    KOVR_WINDOW next = KOVRCreateMessageWindow();
    EXPECT_NE(next, window) << "a destroyed window's handle is never handed out again";
    EXPECT_FALSE(IsLiveWindow(window));
    KOVRDestroyMessageWindow(next);

    int notAWindow = 0;
    auto *foreign = reinterpret_cast<KOVR_WINDOW>(&notAWindow);
    EXPECT_FALSE(IsLiveWindow(foreign));
    EXPECT_FALSE(IsLiveWindow(nullptr));
    EXPECT_EQ(KOVRGetWindowMessage(foreign, 0, nullptr, nullptr, nullptr), -1);
    KOVRDestroyMessageWindow(foreign);
    EXPECT_EQ(notAWindow, 0);
}

TEST(MessageWindow, DestroyingItWakesAWaitingReader)
{
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    std::atomic<int32_t> result{1};
    std::thread reader([&] { result = KOVRGetWindowMessage(window, KOVR_INFINITE, nullptr, nullptr, nullptr); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    KOVRDestroyMessageWindow(window);
    reader.join();
    EXPECT_EQ(result, -1);
}

TEST(MessageWindow, AMessagePostedFromAnotherThreadWakesTheReader)
{
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    std::thread poster([window] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        PostWindowMessage(window, 5, 0, 11);
    });
    intptr_t lParam = 0;
    EXPECT_EQ(KOVRGetWindowMessage(window, 5000, nullptr, nullptr, &lParam), 0);
    EXPECT_EQ(lParam, 11);
    poster.join();
    KOVRDestroyMessageWindow(window);
}

TEST(MessageWindow, AFullQueueRefusesFurtherPosts)
{
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    for (size_t i = 0; i < kMaxPostedMessages; ++i) {
        ASSERT_TRUE(PostWindowMessage(window, 1, 0, 0));
    }
    EXPECT_FALSE(PostWindowMessage(window, 1, 0, 0));
    EXPECT_EQ(KOVRGetWindowMessage(window, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(PostWindowMessage(window, 1, 0, 0));
    KOVRDestroyMessageWindow(window);
}

TEST(WorkerThread, RunsTheRoutineAndJoinsWhenReleased)
{
    std::atomic<int> value{0};
    std::unique_ptr<Thread> thread = Thread::Start([&value] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        value = 42;
    });
    ASSERT_NE(thread, nullptr);
    thread.reset();
    EXPECT_EQ(value, 42);
}

TEST(WorkerThread, CreationFailureIsReported)
{
    ArmFault(Fault::ThreadCreate, 1);
    EXPECT_EQ(Thread::Start([] {}), nullptr);
    DisarmAllFaults();
}

} // namespace
