// Sixteen threads, each with sessions of its own, open, search (synchronous,
// and asynchronous with a callback, a window message or an event), fetch,
// query a device, send it a command, stop and close, against simulated
// devices in the lab. Meanwhile one more thread closes sessions that the
// others hand to it, and everyone keeps calling with the handles it closed.
// Nothing may crash, hang, lose a device or be left behind.
//
// KOVR_STRESS_SECONDS sets the length: 30 s by default, 10 s in a
// sanitizer build, where every call costs several times as much.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iostream>
#include <mutex>
#include <shared_mutex>
#include <thread>
#include <vector>

#include "kovr/kovr.h"
#include "tests/support/guids.h"
#include "tests/support/lab.h"
#include "tests/support/process_resources.h"

namespace {

using kovr::test::DeviceJson;
using kovr::test::kLocatorGuid;
using kovr::test::Lab;
using kovr::test::Simulator;
using kovr::test::Topology;
using Clock = std::chrono::steady_clock;

constexpr int kThreads = 16;
constexpr int kDevices = 3;
constexpr uint32_t kMessage = 0x8001;
// A search that has found fewer devices by then has lost one.
constexpr uint32_t kSearchLimitMs = 8000;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kDefaultSeconds = 10;
#else
constexpr int kDefaultSeconds = 30;
#endif

int StressSeconds()
{
    const char *text = std::getenv("KOVR_STRESS_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : kDefaultSeconds;
}

struct Totals {
    std::atomic<long> syncSearches{0};
    std::atomic<long> asyncSearches{0};
    std::atomic<long> deviceQueries{0};
    std::atomic<long> commands{0};
    std::atomic<long> handedOver{0};
    std::atomic<long> staleCalls{0};
    std::atomic<long> failures{0};
};

// Handles that a session had and lost. A handle value designates whatever
// session a later open returns at the same address, so opening is kept
// apart from the calls with stale handles: while one runs, no stale handle
// can come back to life.
class StaleHandles {
public:
    KOVR_HANDLE Open()
    {
        std::unique_lock<std::shared_mutex> exclusive(gate_);
        KOVR_HANDLE handle = KOVROpenByGuid(&kLocatorGuid);
        handles_.erase(std::remove(handles_.begin(), handles_.end(), handle), handles_.end());
        return handle;
    }
    // Closes a handle and keeps it as a stale one.
    void Close(KOVR_HANDLE handle)
    {
        std::unique_lock<std::shared_mutex> exclusive(gate_);
        KOVRClose(handle);
        handles_.push_back(handle);
        if (handles_.size() > 64) {
            handles_.pop_front();
        }
    }
    // Every function with the stale handles: each call refused at once.
    void CallWithAll(Totals &totals)
    {
        std::shared_lock<std::shared_mutex> shared(gate_);
        for (KOVR_HANDLE handle : handles_) {
            if (!RefusesEverything(handle)) {
                ++totals.failures;
            }
            ++totals.staleCalls;
        }
    }

private:
    static bool RefusesEverything(KOVR_HANDLE handle)
    {
        static const uint8_t kMac[6] = {2, 0, 0, 0, 0, 1};
        KOVRDeviceInfoRecord record;
        char text[8];
        bool refused = KOVRGetLastError(handle) == -1 && KOVRGetLastErrorMessage(handle, text, sizeof text) == -1 &&
                       KOVRStartSyncSearch(handle) == -1 && KOVRStartSyncSearchEx(handle, 1, 1) == -1 &&
                       KOVRStartAsyncSearchCallback(
                           handle, [](KOVR_HANDLE, uintptr_t) {}, 0) == -1 &&
                       KOVRGetSearchResultCount(handle) == -1 && KOVRGetSearchResults(handle, &record, 1) == -1 &&
                       KOVRGetDeviceInfo(handle, kMac, &record) == -1 && KOVRRebootDevice(handle, kMac, "x") == -1 &&
                       KOVRSetNetwork(handle, kMac, 1, 2, 3, "x") == -1 && KOVRSetDHCP(handle, kMac, 1, "x") == -1;
        KOVRStopSearch(handle);
        KOVRClose(handle);
        return refused;
    }

    std::shared_mutex gate_;
    std::deque<KOVR_HANDLE> handles_;
};

// The thread that closes the sessions handed to it, some of them with an
// asynchronous search still running.
class Closer {
public:
    explicit Closer(StaleHandles &stale) : stale_(stale), thread_([this] { Run(); }) {}
    ~Closer()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        wake_.notify_one();
        thread_.join();
    }
    void HandOver(KOVR_HANDLE handle)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            pending_.push_back(handle);
        }
        wake_.notify_one();
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return done_ || !pending_.empty(); });
            if (pending_.empty()) {
                return;
            }
            KOVR_HANDLE handle = pending_.front();
            pending_.pop_front();
            lock.unlock();
            // Stopping first keeps the exclusive part of the close short.
            KOVRStopSearch(handle);
            stale_.Close(handle);
            lock.lock();
        }
    }

    StaleHandles &stale_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<KOVR_HANDLE> pending_;
    bool done_ = false;
    std::thread thread_;
};

// One of the sixteen: its own sessions, event and window, and a count of
// the callbacks its searches received.
class Worker {
public:
    Worker(int index, StaleHandles &stale, Closer &closer, Totals &totals)
        : index_(index), stale_(stale), closer_(closer), totals_(totals)
    {}

    void Run(Clock::time_point end)
    {
        event_ = KOVRCreateEvent();
        window_ = KOVRCreateMessageWindow();
        for (long round = 0; Clock::now() < end; ++round) {
            RunRound(round);
            stale_.CallWithAll(totals_);
        }
        KOVRCloseEvent(event_);
        KOVRDestroyMessageWindow(window_);
    }

private:
    void Fail(const char *what)
    {
        ++totals_.failures;
        ADD_FAILURE() << "thread " << index_ << ": " << what;
    }

    void RunRound(long round)
    {
        KOVR_HANDLE handle = stale_.Open();
        if (handle == nullptr) {
            Fail("open");
            return;
        }
        std::vector<KOVRDeviceInfoRecord> found;
        const int mode = static_cast<int>((round + index_) % 4);
        if (mode == 0) {
            SyncSearch(handle, found);
        } else {
            AsyncSearch(handle, mode, found);
        }
        if (found.size() != kDevices) {
            Fail("a search lost a device");
        }
        if (!found.empty() && round % 3 == 0) {
            QueryDevice(handle, found[round % found.size()]);
        }
        if (!found.empty() && round % 8 == 5) {
            WrongPasswordCommand(handle, found[0]);
        }
        // Half of the sessions go to the closer, some of those still
        // searching; the rest are closed here, now and then mid-search.
        if (round % 2 == 1) {
            ++totals_.handedOver;
            closer_.HandOver(handle);
        } else {
            KOVRClose(handle);
        }
    }

    void SyncSearch(KOVR_HANDLE handle, std::vector<KOVRDeviceInfoRecord> &found)
    {
        ++totals_.syncSearches;
        const int32_t count = KOVRStartSyncSearchEx(handle, 1000, kSearchLimitMs);
        if (count != kDevices) {
            return;
        }
        found.resize(kDevices);
        if (KOVRGetSearchResults(handle, found.data(), kDevices) != kDevices) {
            Fail("fetch after a synchronous search");
        }
    }

    // Starts in the mode's way, waits for the notification, and fetches
    // until every device is in. Stopped here in most rounds.
    void AsyncSearch(KOVR_HANDLE handle, int mode, std::vector<KOVRDeviceInfoRecord> &found)
    {
        ++totals_.asyncSearches;
        callbacks_ = 0;
        int32_t started = -1;
        if (mode == 1) {
            started = KOVRStartAsyncSearchCallback(handle, &Worker::Notified, reinterpret_cast<uintptr_t>(this));
        } else if (mode == 2) {
            started = KOVRStartAsyncSearchMessage(handle, window_, kMessage, static_cast<uintptr_t>(index_));
        } else {
            started = KOVRStartAsyncSearchEvent(handle, event_);
        }
        if (started != 0) {
            Fail("async start");
            return;
        }
        if (!AwaitNotification(handle, mode)) {
            Fail("no notification");
        }
        const auto deadline = Clock::now() + std::chrono::milliseconds(kSearchLimitMs);
        KOVRDeviceInfoRecord records[kDevices];
        while (found.size() < kDevices && Clock::now() < deadline) {
            const int32_t fetched = KOVRGetSearchResults(handle, records, kDevices);
            found.insert(found.end(), records, records + std::max(fetched, 0));
            if (fetched <= 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        if (mode != 3 || found.size() % 2 == 0) {
            KOVRStopSearch(handle);
        }
        // Drain what the search left, so the next round starts clean.
        while (KOVRWaitEvent(event_, 0) == 0) {
        }
        while (KOVRGetWindowMessage(window_, 0, nullptr, nullptr, nullptr) == 0) {
        }
    }

    bool AwaitNotification(KOVR_HANDLE handle, int mode)
    {
        if (mode == 1) {
            const auto deadline = Clock::now() + std::chrono::milliseconds(kSearchLimitMs);
            while (callbacks_.load() == 0 && Clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
            return callbacks_.load() > 0;
        }
        if (mode == 2) {
            uint32_t message = 0;
            uintptr_t wParam = 1;
            intptr_t lParam = -1;
            return KOVRGetWindowMessage(window_, kSearchLimitMs, &message, &wParam, &lParam) == 0 &&
                   message == kMessage && wParam == 0 && lParam == index_;
        }
        (void)handle;
        return KOVRWaitEvent(event_, kSearchLimitMs) == 0;
    }

    static void Notified(KOVR_HANDLE, uintptr_t userValue) { ++reinterpret_cast<Worker *>(userValue)->callbacks_; }

    void QueryDevice(KOVR_HANDLE handle, const KOVRDeviceInfoRecord &device)
    {
        ++totals_.deviceQueries;
        KOVRDeviceInfoRecord record{};
        if (KOVRGetDeviceInfo(handle, device.macAddress, &record) != 0 ||
            std::memcmp(record.macAddress, device.macAddress, 6) != 0) {
            Fail("device query");
        }
    }

    void WrongPasswordCommand(KOVR_HANDLE handle, const KOVRDeviceInfoRecord &device)
    {
        ++totals_.commands;
        // Refused by the device, which therefore stays as it is for the others.
        const int32_t result = KOVRSetDHCP(handle, device.macAddress, 1, "wrong");
        if (result < 1 || result > 255 || KOVRGetLastError(handle) < 0) {
            Fail("refused command");
        }
    }

    const int index_;
    StaleHandles &stale_;
    Closer &closer_;
    Totals &totals_;
    KOVR_EVENT event_ = nullptr;
    KOVR_WINDOW window_ = nullptr;
    std::atomic<int> callbacks_{0};
};

TEST(ConcurrentSessions, SixteenThreadsOpenSearchFetchAndClose)
{
    Lab lab(Topology::Single);
    std::vector<nlohmann::json> devices;
    for (int i = 1; i <= kDevices; ++i) {
        devices.push_back(DeviceJson(i));
    }
    Simulator sim(lab, {{"devices", devices}});
    // A sanitizer's runtime may start a thread of its own with the first
    // one the process starts; it must not count as left behind.
    std::thread([] {}).join();
    const int descriptors = kovr::test::OpenDescriptorCount();
    const int threads = kovr::test::ThreadCount();
    const int seconds = StressSeconds();

    Totals totals;
    {
        StaleHandles stale;
        Closer closer(stale);
        std::vector<std::unique_ptr<Worker>> workers;
        std::vector<std::thread> running;
        const auto end = Clock::now() + std::chrono::seconds(seconds);
        for (int i = 0; i < kThreads; ++i) {
            workers.push_back(std::make_unique<Worker>(i, stale, closer, totals));
            running.emplace_back([&worker = *workers.back(), end] { worker.Run(end); });
        }
        for (std::thread &thread : running) {
            thread.join();
        }
    }
    EXPECT_EQ(totals.failures.load(), 0);
    EXPECT_GT(totals.staleCalls.load(), 0);
    EXPECT_EQ(kovr::test::OpenDescriptorCount(), descriptors) << "descriptors left open";
    EXPECT_EQ(kovr::test::ThreadCount(), threads) << "threads left running";
    std::cout << "stress: " << kThreads << " threads, " << seconds << " s: " << totals.syncSearches
              << " sync searches, " << totals.asyncSearches << " async searches, " << totals.deviceQueries
              << " device queries, " << totals.commands << " commands, " << totals.handedOver
              << " sessions closed by another thread, " << totals.staleCalls << " handles refused when stale"
              << std::endl;
}

} // namespace
