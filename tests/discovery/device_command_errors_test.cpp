// Argument checks and the local failures of the single-device functions:
// each failure after the error state was reset must say what went wrong.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "discovery/commands.h"
#include "discovery/platform/fault_injection.h"
#include "discovery/replies.h"
#include "tests/discovery/device_session.h"
#include "tests/support/descriptor_limit.h"

namespace kovr {
namespace {

using test::DeviceSession;

const uint8_t kDevice[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
// Written out, so that a wrong value in the library shows.
const uint8_t kEveryDevice[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const uint32_t kAddress = 0x0A014D0A; // any value; nothing reaches a device

// Each single-device function, called for one target.
struct Call {
    const char *name;
    std::function<int32_t(KOVR_HANDLE, const uint8_t *)> run;
};

std::vector<Call> AllCalls(KOVRDeviceInfoRecord *record)
{
    return {
        {"GetDeviceInfo", [record](KOVR_HANDLE h, const uint8_t *mac) { return KOVRGetDeviceInfo(h, mac, record); }},
        {"RebootDevice", [](KOVR_HANDLE h, const uint8_t *mac) { return KOVRRebootDevice(h, mac, "pw"); }},
        {"SetNetwork",
         [](KOVR_HANDLE h, const uint8_t *mac) { return KOVRSetNetwork(h, mac, kAddress, kAddress, kAddress, "pw"); }},
        {"SetDHCP", [](KOVR_HANDLE h, const uint8_t *mac) { return KOVRSetDHCP(h, mac, 1, "pw"); }},
    };
}

class DeviceCommandErrors : public ::testing::Test {
protected:
    void SetUp() override { std::memset(&record_, 0xAB, sizeof record_); }
    void TearDown() override { platform::DisarmAllFaults(); }

    bool RecordUntouched() const
    {
        KOVRDeviceInfoRecord pattern;
        std::memset(&pattern, 0xAB, sizeof pattern);
        return std::memcmp(&pattern, &record_, sizeof pattern) == 0;
    }

    // Each call, after the error state was marked, fails with this result
    // and leaves this error behind.
    void ExpectEveryCallFails(const std::vector<Call> &calls, const uint8_t *target, int32_t result, int32_t error,
                              const std::string &message)
    {
        for (const Call &call : calls) {
            device_.MarkErrorState();
            EXPECT_EQ(call.run(device_.handle(), target), result) << call.name;
            EXPECT_TRUE(device_.HasError(error, message)) << call.name;
        }
    }

    DeviceSession device_;
    KOVRDeviceInfoRecord record_;
};

TEST_F(DeviceCommandErrors, RejectedArgumentsKeepThePreviousErrorState)
{
    const KOVR_HANDLE h = device_.handle();
    device_.MarkErrorState();
    EXPECT_EQ(KOVRGetDeviceInfo(nullptr, kDevice, &record_), -1);
    EXPECT_EQ(KOVRGetDeviceInfo(h, nullptr, &record_), -1);
    EXPECT_EQ(KOVRGetDeviceInfo(h, kDevice, nullptr), -1);
    EXPECT_EQ(KOVRRebootDevice(h, nullptr, "pw"), -1);
    EXPECT_EQ(KOVRRebootDevice(h, kDevice, nullptr), -1);
    EXPECT_EQ(KOVRSetNetwork(h, nullptr, 1, 2, 3, "pw"), -1);
    EXPECT_EQ(KOVRSetNetwork(h, kDevice, 1, 2, 3, nullptr), -1);
    EXPECT_EQ(KOVRSetDHCP(h, nullptr, 1, "pw"), -1);
    EXPECT_EQ(KOVRSetDHCP(h, kDevice, 1, nullptr), -1);
    EXPECT_EQ(KOVRSetCommandPolicy(h, 0x2), -1) << "a flag the library doesn't know";
    EXPECT_EQ(KOVRSetCommandPolicy(h, KOVR_POLICY_REQUIRE_CHALLENGE), 0);
    EXPECT_TRUE(device_.HasError(77, "marker"));
    EXPECT_TRUE(RecordUntouched());

    // A closed handle is refused like any unknown one.
    KOVR_HANDLE closed = KOVROpenByGuid(&test::kLocatorGuid);
    KOVRClose(closed);
    if (closed != h) {
        for (const Call &call : AllCalls(&record_)) {
            EXPECT_EQ(call.run(closed, kDevice), -1) << call.name;
        }
    }
}

TEST_F(DeviceCommandErrors, AllDevicesTargetIsRefusedWithAReason)
{
    ExpectEveryCallFails(AllCalls(&record_), kEveryDevice, -1, -1, "Invalid device address");
    EXPECT_TRUE(RecordUntouched());

    // The challenge query inside the library refuses it on its own too,
    // whichever exported function led to it.
    device_.MarkErrorState();
    AuthNonce nonce{};
    EXPECT_EQ(FetchAuthNonce(device_.session()->Device(), kAllDevices, &nonce), -1);
    EXPECT_TRUE(device_.HasError(-1, "Invalid device address"));
    EXPECT_EQ(nonce.length, 0);
}

// No device listens here (only loopback is up): the query runs out of time.
TEST_F(DeviceCommandErrors, SilentDeviceTimesOut)
{
    EXPECT_EQ(KOVRGetDeviceInfo(device_.handle(), kDevice, &record_), -2);
    EXPECT_TRUE(device_.HasError(-2, "Operation timed out"));
    EXPECT_TRUE(RecordUntouched());

    // A command whose challenge query gets no answer fails locally, while the
    // last error tells that the device was silent.
    std::vector<Call> commands = AllCalls(&record_);
    commands.erase(commands.begin()); // GetDeviceInfo
    ExpectEveryCallFails(commands, kDevice, -1, -2, "Operation timed out");
}

// A network namespace of its own, with not even loopback up, for the calling
// thread; the previous one is restored on destruction.
class AddresslessNamespace {
public:
    AddresslessNamespace() : previous_(open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC))
    {
        entered_ = previous_ >= 0 && unshare(CLONE_NEWNET) == 0;
    }
    ~AddresslessNamespace()
    {
        if (entered_ && setns(previous_, CLONE_NEWNET) != 0) {
            ADD_FAILURE() << "could not return to the test's namespace";
        }
        if (previous_ >= 0) {
            close(previous_);
        }
    }
    bool entered() const { return entered_; }

private:
    int previous_;
    bool entered_ = false;
};

TEST_F(DeviceCommandErrors, NoLocalAddressIsReported)
{
    AddresslessNamespace isolated;
    if (!isolated.entered()) {
        GTEST_SKIP() << "needs CAP_SYS_ADMIN to create a network namespace: " << std::strerror(errno);
    }
    ExpectEveryCallFails(AllCalls(&record_), kDevice, -1, -1, "No local IPv4 address");
    EXPECT_TRUE(RecordUntouched());
}

TEST_F(DeviceCommandErrors, SocketFailureCarriesTheSystemReason)
{
    for (const Call &call : AllCalls(&record_)) {
        device_.MarkErrorState();
        int32_t result;
        {
            test::DescriptorLimit limit;
            result = call.run(device_.handle(), kDevice);
        }
        EXPECT_EQ(result, -1) << call.name;
        EXPECT_TRUE(device_.HasError(-1, "Network error: " + std::string(std::strerror(EMFILE)))) << call.name;
    }
}

TEST_F(DeviceCommandErrors, TimerAndWaitFailuresAreNetworkErrors)
{
    for (platform::Fault fault : {platform::Fault::TimerCreate, platform::Fault::Poll}) {
        for (const Call &call : AllCalls(&record_)) {
            device_.MarkErrorState();
            platform::ArmFault(fault, 1);
            EXPECT_EQ(call.run(device_.handle(), kDevice), -1) << call.name;
            EXPECT_TRUE(device_.HasNetworkError()) << call.name;
            platform::DisarmAllFaults();
        }
    }
    EXPECT_TRUE(RecordUntouched());
}

} // namespace
} // namespace kovr
