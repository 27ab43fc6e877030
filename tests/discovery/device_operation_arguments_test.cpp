// The single-device operations inside the library, given what the exported
// functions never pass them: a missing session, target, password or record,
// the all-devices address, or a request type that is no command. Each fails
// at once, sends nothing and touches no caller's buffer.
#include <gtest/gtest.h>

#include <cstring>

#include "commands.h"
#include "device_session.h"
#include "wire_format.h"

namespace kovr {
namespace {

const uint8_t kDevice[kMacSize] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};

TEST(DeviceOperationArguments, MissingArgumentsFailAtOnce)
{
    test::DeviceSession device;
    DiscoverySession *session = device.session();
    device.MarkErrorState();
    CommandArguments reboot{};
    reboot.requestType = kRebootRequest;
    EXPECT_EQ(RunDeviceCommand(nullptr, kDevice, "pw", reboot), -1);
    EXPECT_EQ(RunDeviceCommand(session, nullptr, "pw", reboot), -1);
    EXPECT_EQ(RunDeviceCommand(session, kDevice, nullptr, reboot), -1);

    ReplyRecord reply;
    std::memset(&reply, 0xAB, sizeof reply);
    EXPECT_EQ(QueryDevice(nullptr, kDevice, &reply), -1);
    EXPECT_EQ(QueryDevice(session, nullptr, &reply), -1);
    EXPECT_EQ(QueryDevice(session, kDevice, nullptr), -1);
    EXPECT_EQ(reply.info.recordSize, 0xABABABABu);

    uint32_t address = 0x01020304;
    EXPECT_FALSE(SelectLocalAddress(nullptr, kDevice, &address));
    EXPECT_FALSE(SelectLocalAddress(session, nullptr, &address));
    EXPECT_FALSE(SelectLocalAddress(session, kDevice, nullptr));
    EXPECT_EQ(address, 0x01020304u);

    AuthNonce nonce{};
    EXPECT_EQ(FetchAuthNonce(nullptr, kDevice, &nonce), -1);
    EXPECT_EQ(FetchAuthNonce(session, nullptr, &nonce), -1);
    EXPECT_EQ(FetchAuthNonce(session, kDevice, nullptr), -1);
    EXPECT_EQ(device.LastError(), 77) << "nothing was attempted";
}

TEST(DeviceOperationArguments, TheAllDevicesAddressIsNoTarget)
{
    test::DeviceSession device;
    AuthNonce nonce{};
    EXPECT_EQ(FetchAuthNonce(device.session(), kAllDevices, &nonce), -1);
    EXPECT_EQ(device.LastError(), -1);
    EXPECT_EQ(device.LastMessage(), "Invalid device address");
    EXPECT_EQ(nonce.length, 0);
}

TEST(DeviceOperationArguments, ARequestTypeThatIsNoCommandIsRefused)
{
    test::DeviceSession device;
    CommandArguments discovery{};
    discovery.requestType = kDiscoveryRequest;
    // Only lo is up here: one local address, so nothing is asked before the
    // request is built, and nothing is sent after it is refused.
    EXPECT_EQ(RunDeviceCommand(device.session(), kDevice, "pw", discovery), -1);
}

} // namespace
} // namespace kovr
