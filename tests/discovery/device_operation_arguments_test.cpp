// The single-device operations inside the library refuse the all-devices
// address on their own, whichever exported function led to them.
#include <gtest/gtest.h>

#include <cstring>

#include "discovery/commands.h"
#include "discovery/replies.h"
#include "discovery/requests.h"
#include "tests/discovery/device_session.h"

namespace kovr {
namespace {

const uint8_t kDevice[kMacSize] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};

TEST(DeviceOperationArguments, TheAllDevicesAddressIsNoTarget)
{
    test::DeviceSession device;
    AuthNonce nonce{};
    EXPECT_EQ(FetchAuthNonce(device.session()->Device(), kAllDevices, &nonce), -1);
    EXPECT_EQ(device.LastError(), -1);
    EXPECT_EQ(device.LastMessage(), "Invalid device address");
    EXPECT_EQ(nonce.length, 0);
}

} // namespace
} // namespace kovr
