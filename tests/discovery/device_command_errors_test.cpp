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

#include "discovery/platform/fault_injection.h"
#include "tests/discovery/device_session.h"
#include "tests/support/descriptor_limit.h"

namespace kovr {
namespace {

using test::DeviceSession;

const uint8_t kDevice[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const uint8_t kAllDevices[6] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
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
    EXPECT_EQ(device_.LastError(), 77);
    EXPECT_EQ(device_.LastMessage(), "marker");
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
    for (const Call &call : AllCalls(&record_)) {
        device_.MarkErrorState();
        EXPECT_EQ(call.run(device_.handle(), kAllDevices), -1) << call.name;
        EXPECT_EQ(device_.LastError(), -1) << call.name;
        EXPECT_EQ(device_.LastMessage(), "Invalid device address") << call.name;
    }
    EXPECT_TRUE(RecordUntouched());
}

// No device listens here (only loopback is up): the query runs out of time.
TEST_F(DeviceCommandErrors, SilentDeviceTimesOut)
{
    EXPECT_EQ(KOVRGetDeviceInfo(device_.handle(), kDevice, &record_), -2);
    EXPECT_EQ(device_.LastError(), -2);
    EXPECT_EQ(device_.LastMessage(), "Operation timed out");
    EXPECT_TRUE(RecordUntouched());

    // A command whose challenge query gets no answer fails locally, while the
    // last error tells that the device was silent.
    for (const Call &call : AllCalls(&record_)) {
        if (std::string(call.name) == "GetDeviceInfo") {
            continue;
        }
        device_.MarkErrorState();
        EXPECT_EQ(call.run(device_.handle(), kDevice), -1) << call.name;
        EXPECT_EQ(device_.LastError(), -2) << call.name;
        EXPECT_EQ(device_.LastMessage(), "Operation timed out") << call.name;
    }
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
    for (const Call &call : AllCalls(&record_)) {
        device_.MarkErrorState();
        EXPECT_EQ(call.run(device_.handle(), kDevice), -1) << call.name;
        EXPECT_EQ(device_.LastError(), -1) << call.name;
        EXPECT_EQ(device_.LastMessage(), "No local IPv4 address") << call.name;
    }
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
        EXPECT_EQ(device_.LastError(), -1) << call.name;
        EXPECT_EQ(device_.LastMessage(), "Network error: " + std::string(std::strerror(EMFILE))) << call.name;
    }
}

TEST_F(DeviceCommandErrors, TimerAndWaitFailuresAreNetworkErrors)
{
    for (platform::Fault fault : {platform::Fault::TimerCreate, platform::Fault::Poll}) {
        for (const Call &call : AllCalls(&record_)) {
            device_.MarkErrorState();
            platform::ArmFault(fault, 1);
            EXPECT_EQ(call.run(device_.handle(), kDevice), -1) << call.name;
            EXPECT_EQ(device_.LastError(), -1) << call.name;
            EXPECT_EQ(device_.LastMessage().rfind("Network error: ", 0), 0u)
                << call.name << ": " << device_.LastMessage();
            platform::DisarmAllFaults();
        }
    }
    EXPECT_TRUE(RecordUntouched());
}

} // namespace
} // namespace kovr
