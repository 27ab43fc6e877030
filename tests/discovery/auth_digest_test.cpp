// The challenge digest against digests computed outside the library.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "discovery/auth_digest.h"
#include "discovery/md5.h"
#include "tests/support/hex.h"

namespace kovr {
namespace {

const uint8_t kChallenge[14] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
const uint8_t kRebootType[2] = {0x00, 0x05};
const uint8_t kDhcpType[2] = {0x00, 0x07};
// MacAddress, then authLength already set to 16.
const uint8_t kRebootFields[7] = {0x02, 0, 0, 0, 0, 0x01, 16};
// DHCP mode 1, MacAddress, authLength 16.
const uint8_t kDhcpFields[8] = {0x01, 0x02, 0, 0, 0, 0, 0x01, 16};

using test::Hex;

// The expected values come from md5sum over the hand-assembled bytes, e.g.
// printf '\x01...\x0esecret\x00\x05\x02\x00\x00\x00\x00\x01\x10' | md5sum
TEST(AuthDigest, MatchesAnExternallyComputedDigest)
{
    uint8_t digest[16];
    ComputeAuthDigest(kChallenge, "secret", 6, kRebootFields, sizeof kRebootFields, kRebootType, digest);
    EXPECT_EQ(Hex(digest, 16), "e6bfe718b4efb3e8d24ad4186c861926");
}

TEST(AuthDigest, EmptyPasswordIsHashedAsZeroBytes)
{
    uint8_t digest[16];
    ComputeAuthDigest(kChallenge, "", 0, kDhcpFields, sizeof kDhcpFields, kDhcpType, digest);
    EXPECT_EQ(Hex(digest, 16), "32d08f66d74135fac335b92b5c8994d3");
}

// A password far beyond the 255 bytes of plain mode is hashed whole.
TEST(AuthDigest, LongPasswordIsHashedWhole)
{
    const std::string password(1000, 'p');
    std::vector<uint8_t> message(kChallenge, kChallenge + 14);
    message.insert(message.end(), password.begin(), password.end());
    message.insert(message.end(), kRebootType, kRebootType + 2);
    message.insert(message.end(), kRebootFields, kRebootFields + sizeof kRebootFields);
    uint8_t expected[16];
    Md5 md5;
    md5.Update(message.data(), message.size());
    md5.Final(expected);

    uint8_t digest[16];
    ComputeAuthDigest(kChallenge, password.c_str(), password.size(), kRebootFields, sizeof kRebootFields, kRebootType,
                      digest);
    EXPECT_EQ(Hex(digest, 16), Hex(expected, 16));

    // A shortened password must not give the same digest.
    ComputeAuthDigest(kChallenge, password.c_str(), 255, kRebootFields, sizeof kRebootFields, kRebootType, digest);
    EXPECT_NE(Hex(digest, 16), Hex(expected, 16));
}

} // namespace
} // namespace kovr
