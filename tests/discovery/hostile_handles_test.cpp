// Handles that are not what they claim to be: values no open ever gave,
// handles already closed, handles of another kind, null. Every exported
// function refuses them without reading through them (a read would fault
// on the inaccessible page, and the sanitizer build reports one through a
// freed object), keeps every session's error state, and never blocks on
// them. A search whose event or window goes away while it runs carries on.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "discovery/session.h"
#include "kovr/kovr.h"
#include "tests/discovery/device_session.h"
#include "tests/discovery/loopback_device.h"
#include "tests/support/inaccessible_page.h"

namespace kovr {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Pointer values that no open, create or window call gives out.
std::vector<uintptr_t> ArbitraryValues(const test::InaccessiblePage &page)
{
    return {
        0,
        0x10,
        page.address(),
        page.address() + 1,
        page.address() + 3,
        page.address() + page.size() - 8,
        uintptr_t{0xFFFF800000000000}, // kernel space
        ~uintptr_t{0},
        ~uintptr_t{0} - 7,
    };
}

// The event and window functions, each with a handle they must refuse at
// once: even the waits without a limit return.
void RefuseAsEventAndWindow(uintptr_t value)
{
    SCOPED_TRACE(value);
    auto event = reinterpret_cast<KOVR_EVENT>(value);
    auto window = reinterpret_cast<KOVR_WINDOW>(value);
    EXPECT_EQ(KOVRWaitEvent(event, 0), -1);
    EXPECT_EQ(KOVRWaitEvent(event, KOVR_INFINITE), -1);
    EXPECT_EQ(KOVREventFd(event), -1);
    KOVRCloseEvent(event);
    uint32_t message = 7;
    uintptr_t wParam = 7;
    intptr_t lParam = 7;
    EXPECT_EQ(KOVRGetWindowMessage(window, KOVR_INFINITE, &message, &wParam, &lParam), -1);
    EXPECT_EQ(message, 7u);
    EXPECT_EQ(lParam, 7);
    KOVRDestroyMessageWindow(window);
}

// The session functions with `value` as the handle, and the starters with
// it as their event or window.
void RefuseAsSessionAndTarget(uintptr_t value, KOVR_HANDLE bystander)
{
    SCOPED_TRACE(value);
    auto handle = reinterpret_cast<KOVR_HANDLE>(value);
    const uint8_t mac[6] = {2, 0, 0, 0, 0, 1};
    char text[16] = "untouched";
    KOVRDeviceInfoRecord record{};
    EXPECT_EQ(KOVRGetLastError(handle), -1);
    EXPECT_EQ(KOVRGetLastErrorMessage(handle, text, sizeof text), -1);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(KOVRStartSyncSearch(handle), -1);
    EXPECT_EQ(KOVRStartSyncSearchEx(handle, 10, 10), -1);
    EXPECT_EQ(KOVRStartAsyncSearchCallback(
                  handle, [](KOVR_HANDLE, uintptr_t) {}, 0),
              -1);
    EXPECT_EQ(KOVRStartAsyncSearchEvent(handle, nullptr), -1);
    EXPECT_EQ(KOVRStartAsyncSearchMessage(handle, nullptr, 1, 0), -1);
    EXPECT_EQ(KOVRGetSearchResultCount(handle), -1);
    EXPECT_EQ(KOVRGetSearchResults(handle, &record, 1), -1);
    EXPECT_EQ(KOVRGetDeviceInfo(handle, mac, &record), -1);
    EXPECT_EQ(KOVRRebootDevice(handle, mac, "pw"), -1);
    EXPECT_EQ(KOVRSetNetwork(handle, mac, 0, 0, 0, "pw"), -1);
    EXPECT_EQ(KOVRSetDHCP(handle, mac, 1, "pw"), -1);
    EXPECT_EQ(KOVRSetCommandPolicy(handle, KOVR_POLICY_REQUIRE_CHALLENGE), -1);
    KOVRStopSearch(handle);
    // Closing it, again after a real close, does nothing.
    KOVRClose(handle);
    // A valid session with a hostile event or window.
    EXPECT_EQ(KOVRStartAsyncSearchEvent(bystander, reinterpret_cast<KOVR_EVENT>(value)), -1);
    EXPECT_EQ(KOVRStartAsyncSearchMessage(bystander, reinterpret_cast<KOVR_WINDOW>(value), 0x400, 0), -1);
}

class HostileHandles : public ::testing::Test {
protected:
    void SetUp() override { bystander_.MarkErrorState(); }
    void TearDown() override
    {
        // No refusal touched the one open session.
        EXPECT_TRUE(bystander_.HasError(77, "marker"));
        EXPECT_FALSE(bystander_.session()->search->searching.load());
    }

    test::DeviceSession bystander_;
};

TEST_F(HostileHandles, ArbitraryValuesAreRefusedEverywhere)
{
    test::InaccessiblePage page;
    ASSERT_TRUE(page.mapped());
    for (uintptr_t value : ArbitraryValues(page)) {
        RefuseAsEventAndWindow(value);
        RefuseAsSessionAndTarget(value, bystander_.handle());
    }
}

TEST_F(HostileHandles, ClosedHandlesOfEveryKindAreRefused)
{
    KOVR_HANDLE session = KOVROpenByGuid(&test::kLocatorGuid);
    KOVR_EVENT event = KOVRCreateEvent();
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    ASSERT_NE(session, nullptr);
    ASSERT_NE(event, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(IsRegistered(session));
    KOVRClose(session);
    EXPECT_FALSE(IsRegistered(session));
    EXPECT_EQ(FindSession(session), nullptr);
    KOVRCloseEvent(event);
    KOVRDestroyMessageWindow(window);
    // Nothing is opened before the calls, so no stale value can have been
    // handed out again; the session and the event are freed memory now.
    for (uintptr_t value : {reinterpret_cast<uintptr_t>(session), reinterpret_cast<uintptr_t>(event),
                            reinterpret_cast<uintptr_t>(window)}) {
        RefuseAsEventAndWindow(value);
        RefuseAsSessionAndTarget(value, bystander_.handle());
    }
}

TEST_F(HostileHandles, AHandleOfAnotherKindIsRefused)
{
    KOVR_HANDLE session = KOVROpenByGuid(&test::kLocatorGuid);
    KOVR_EVENT event = KOVRCreateEvent();
    KOVR_WINDOW window = KOVRCreateMessageWindow();
    const auto sessionValue = reinterpret_cast<uintptr_t>(session);
    EXPECT_EQ(KOVRWaitEvent(reinterpret_cast<KOVR_EVENT>(sessionValue), 0), -1);
    EXPECT_EQ(KOVRGetWindowMessage(reinterpret_cast<KOVR_WINDOW>(sessionValue), 0, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(KOVRGetLastError(reinterpret_cast<KOVR_HANDLE>(event)), -1);
    EXPECT_EQ(KOVRGetLastError(reinterpret_cast<KOVR_HANDLE>(window)), -1);
    EXPECT_EQ(KOVRStartAsyncSearchEvent(bystander_.handle(), reinterpret_cast<KOVR_EVENT>(window)), -1);
    EXPECT_EQ(KOVRStartAsyncSearchMessage(bystander_.handle(), reinterpret_cast<KOVR_WINDOW>(event), 0x400, 0), -1);
    // A destroy or close through the wrong kind leaves every object alive.
    KOVRCloseEvent(reinterpret_cast<KOVR_EVENT>(window));
    KOVRDestroyMessageWindow(reinterpret_cast<KOVR_WINDOW>(event));
    KOVRClose(reinterpret_cast<KOVR_HANDLE>(event));
    EXPECT_EQ(KOVRGetLastError(session), 0);
    EXPECT_EQ(KOVRWaitEvent(event, 0), -2);
    EXPECT_EQ(KOVRGetWindowMessage(window, 0, nullptr, nullptr, nullptr), -2);
    KOVRClose(session);
    KOVRCloseEvent(event);
    KOVRDestroyMessageWindow(window);
}

// The worker notifies a window or event that the caller has meanwhile done
// away with: it is refused like any foreign one, and the search goes on.
TEST_F(HostileHandles, ANotificationTargetThatGoesAwayDuringASearch)
{
    test::LoopbackDevice device(test::Answering({test::DiscoveryReplyFrom(kMagicLorx, 1)}));
    test::DeviceSession searcher;
    const KOVR_HANDLE h = searcher.handle();

    KOVR_EVENT event = KOVRCreateEvent();
    ASSERT_EQ(KOVRStartAsyncSearchEvent(h, event), 0);
    KOVRCloseEvent(event);
    std::this_thread::sleep_for(milliseconds(300));
    KOVRStopSearch(h);
    EXPECT_EQ(KOVRGetSearchResultCount(h), 1) << "the search went on without its event";

    KOVR_WINDOW window = KOVRCreateMessageWindow();
    ASSERT_EQ(KOVRStartAsyncSearchMessage(h, window, 0x400, 5), 0);
    KOVRDestroyMessageWindow(window);
    std::this_thread::sleep_for(milliseconds(300));
    KOVRStopSearch(h);
    EXPECT_EQ(KOVRGetSearchResultCount(h), 1);
}

} // namespace
} // namespace kovr
