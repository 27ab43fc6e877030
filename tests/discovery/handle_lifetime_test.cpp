// A session closed on one thread while eight others call every exported
// function with its handle: each call either works on a session that stays
// whole until it returns, or refuses the handle. Run under the thread and
// address sanitizers, this is where a call freed from under itself shows.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "discovery/session.h"
#include "kovr/kovr.h"
#include "tests/discovery/device_session.h"
#include "tests/discovery/loopback_device.h"

namespace kovr {
namespace {

using std::chrono::milliseconds;

constexpr int kCallers = 8;
constexpr int kRounds = 12;

struct Handles {
    KOVR_HANDLE session;
    KOVR_EVENT event;
    KOVR_WINDOW window;
};

// Every exported function that takes a handle, once each. The results are
// not checked: before the close they succeed or time out, after it they
// refuse; what counts is that none of them touches freed memory.
void CallEveryFunction(const Handles &handles)
{
    const uint8_t mac[6] = {2, 0, 0, 0, 0, 1};
    KOVRDeviceInfoRecord records[2];
    char text[64];
    uint32_t message = 0;
    KOVRGetLastError(handles.session);
    KOVRGetLastErrorMessage(handles.session, text, sizeof text);
    KOVRStartSyncSearchEx(handles.session, 1, 5);
    // The callback calls back in, as a caller's might, from the worker.
    KOVRStartAsyncSearchCallback(
        handles.session, [](KOVR_HANDLE session, uintptr_t) { KOVRGetSearchResultCount(session); }, 0);
    KOVRStopSearch(handles.session);
    KOVRStartAsyncSearchEvent(handles.session, handles.event);
    KOVRGetSearchResultCount(handles.session);
    KOVRStopSearch(handles.session);
    KOVRStartAsyncSearchMessage(handles.session, handles.window, 0x400, 1);
    KOVRGetSearchResults(handles.session, records, 2);
    KOVRStopSearch(handles.session);
    KOVRGetDeviceInfo(handles.session, mac, records);
    KOVRRebootDevice(handles.session, mac, "pw");
    KOVRSetNetwork(handles.session, mac, 0, 0, 0, "pw");
    KOVRSetDHCP(handles.session, mac, 1, "pw");
    KOVRSetCommandPolicy(handles.session, KOVR_POLICY_REQUIRE_CHALLENGE);
    KOVRWaitEvent(handles.event, 0);
    KOVREventFd(handles.event);
    KOVRGetWindowMessage(handles.window, 0, &message, nullptr, nullptr);
}

TEST(HandleLifetime, CloseWhileEightThreadsCallEveryFunction)
{
    ASSERT_TRUE(test::InPrivateNamespace());
    for (int round = 0; round < kRounds; ++round) {
        // Short limits, so that every call returns within a few polls.
        test::Limits limits;
        limits.query = milliseconds(10);
        limits.command = milliseconds(10);
        limits.poll = milliseconds(2);
        auto device = std::make_unique<test::DeviceSession>(limits);
        FindSession(device->handle())->search->pollInterval = milliseconds(2);
        const Handles handles{device->handle(), KOVRCreateEvent(), KOVRCreateMessageWindow()};

        std::atomic<bool> stop{false};
        std::atomic<int> calls{0};
        std::vector<std::thread> callers;
        for (int i = 0; i < kCallers; ++i) {
            callers.emplace_back([&] {
                while (!stop.load()) {
                    CallEveryFunction(handles);
                    calls++;
                }
            });
        }
        // Close while the callers are at all stages of their loops, and let
        // them go on calling with the closed handles for a while.
        std::this_thread::sleep_for(milliseconds(20 + 7 * round));
        device.reset();
        KOVRCloseEvent(handles.event);
        KOVRDestroyMessageWindow(handles.window);
        const int callsAtClose = calls.load();
        while (calls.load() < callsAtClose + kCallers) {
            std::this_thread::sleep_for(milliseconds(1));
        }
        stop = true;
        for (std::thread &caller : callers) {
            caller.join();
        }
        EXPECT_EQ(FindSession(handles.session), nullptr);
        EXPECT_EQ(KOVRGetSearchResultCount(handles.session), -1);
    }
}

} // namespace
} // namespace kovr
