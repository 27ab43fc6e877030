#pragma once

#include "common/device_checks.h"
#include "locator/core/library_seam.h"

#include <array>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace kovr::test {

// A scripted stand-in for libkovr behind the locator's library seam: it
// answers from what a test put in it and records every call. One at a time.
// The windows call the blocking functions on worker threads, several at
// once when they configure several devices: a test reads what those record
// once the window has shown their outcome. The devices hold what a
// successful command sets, and a query reports it.
class FakeLibrary {
public:
    using Mac = std::array<uint8_t, 6>;

    struct NetworkCall {
        KOVR_HANDLE session;
        Mac mac;
        uint32_t ip, mask, gateway;
        std::string password;
    };
    struct DhcpCall {
        KOVR_HANDLE session;
        Mac mac;
        int32_t mode;
        std::string password;
    };
    struct RebootCall {
        KOVR_HANDLE session;
        Mac mac;
        std::string password;
    };

    FakeLibrary();
    ~FakeLibrary();
    FakeLibrary(const FakeLibrary &) = delete;
    FakeLibrary &operator=(const FakeLibrary &) = delete;

    const locator::LibrarySeam &Seam() const;

    // Script.
    bool openFails = false;
    std::vector<KOVRDeviceInfoRecord> devices; // what each search finds, in reply order
    // Later replies of each search for devices it found: other hosts
    // answering for their MACs.
    std::vector<KOVRDeviceInfoRecord> otherReplies;
    std::function<void()> onSearch; // runs inside the blocking search, on its thread
    // Of RebootDevice, SetNetwork, SetDHCP. A session whose policy requires
    // a challenge sends nothing to a device whose record offers none, as
    // the library refuses it.
    int32_t commandResult = 0;
    std::map<Mac, int32_t> commandResults; // for these devices instead
    std::function<void()> onCommand;       // runs inside each of those, on its thread
    int32_t errorNumber = 0;               // recorded by a failing command
    std::string errorMessage;
    std::function<bool(int poll)> deviceAnswers = [](int) { return true; }; // poll numbers from 1

    // Record.
    int opens = 0;
    std::vector<KOVR_HANDLE> closed; // every Close call, valid handle or not
    int stopSearches = 0;
    int searches = 0;
    // The latest search's, valid while that search runs.
    common::SearchWakeup *searchWakeup = nullptr;
    int deviceInfoPolls = 0;
    int copies = 0;
    int releases = 0;
    std::vector<NetworkCall> networkCalls;
    std::vector<DhcpCall> dhcpCalls;
    std::vector<RebootCall> rebootCalls;

    int LiveCopies() const { return copies - releases; }
    bool IsOpen(KOVR_HANDLE h) const { return open_.count(h) != 0; }
    int CommandCount() const { return static_cast<int>(networkCalls.size() + dhcpCalls.size() + rebootCalls.size()); }

private:
    friend struct FakeCalls;
    int32_t FinishCommand(KOVR_HANDLE h, const Mac &mac);

    mutable std::recursive_mutex mutex_; // never held while a hook runs
    std::set<KOVR_HANDLE> open_;
    std::set<const KOVRDeviceInfoRecord *> liveCopies_;
    uintptr_t nextHandle_ = 0x1000;
    std::map<KOVR_HANDLE, std::pair<int32_t, std::string>> lastErrors_;
    std::map<KOVR_HANDLE, uint32_t> policies_; // each session's last SetCommandPolicy
};

// Holds a worker thread inside a blocking call (Pass) until the test opens
// it; opened at the latest when it goes.
class Gate {
public:
    ~Gate() { Open(); }
    void Pass();
    bool Reached() const;
    void Open();

private:
    mutable std::mutex mutex_;
    std::condition_variable opened_;
    bool reached_ = false;
    bool open_ = false;
};

// A device record as a search would deliver it.
KOVRDeviceInfoRecord MakeRecord(const FakeLibrary::Mac &mac, const char *ip, const char *name = "",
                                const char *product = "7100-NT");
// The record with a challenge, as a device that wants a digest answers a
// query for its own MAC.
KOVRDeviceInfoRecord WithChallenge(KOVRDeviceInfoRecord record);
// lab-1 at 10.77.1.10/24 with gateway 10.77.1.254, as the IP settings
// dialog opens on it: in `dhcpMode`, or with no DHCP mode reported.
KOVRDeviceInfoRecord SettingsRecord(const FakeLibrary::Mac &mac, const char *product, uint8_t dhcpMode,
                                    bool dhcpReported);

// 02:00:00:00:00:n.
FakeLibrary::Mac MacOf(int n);

// Devices 1..count named cam-n at 10.77.1.(10 + n), in a /24 with gateway
// 10.77.1.1.
std::vector<KOVRDeviceInfoRecord> SubnetDevices(int count);

// The subnet of this host's interface 10.77.1.1/24.
extern const std::vector<common::LocalSubnet> kLabSubnets;

// A dotted address in network byte order.
uint32_t Address(const char *dotted);

} // namespace kovr::test
