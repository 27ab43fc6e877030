// The bytes of the command requests as a simulated device receives them,
// with the password in plain and as the digest over the device's challenge.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/md5.h"
#include "tests/discovery/device_lab.h"
#include "tests/discovery/device_session.h"

namespace kovr {
namespace {

using test::AddressBytes;
using test::Append;
using test::Bytes;
using test::DeviceJson;
using test::DeviceSession;
using test::Lab;
using test::Logged;
using test::Simulator;
using test::Topology;

const uint8_t kMac[6] = {0x02, 0x00, 0x00, 0x00, 0x00, 0x01};
const Bytes kMacBytes(kMac, kMac + 6);
const Bytes kLorx = {'L', 'O', 'R', 'X'};
// The locator GUID in wire order, after the version field.
const Bytes kTrailer = {0x14, 0x02, 0x02, 0x00, 0x15, 0x10, 0x47, 0x24, 0x14, 0x1B, 0xAE,
                        0xB4, 0x4D, 0xBA, 0xBE, 0x7F, 0xD4, 0xA1, 0x8A, 0xFA, 0x6E, 0xA5};

nlohmann::json OneDevice(const std::string &auth, const std::string &password)
{
    nlohmann::json device = DeviceJson(1, auth, password);
    device["rebootDowntimeMs"] = 0;
    return test::Devices({device});
}

Bytes Header(uint8_t type, uint16_t payloadLength)
{
    Bytes out = kLorx;
    Append(out, {0x00, type, static_cast<uint8_t>(payloadLength >> 8), static_cast<uint8_t>(payloadLength)});
    return out;
}

// Fixed fields of each command, for the addresses and mode the tests send.
Bytes RebootFields()
{
    return kMacBytes;
}
Bytes SetNetworkFields()
{
    Bytes out = AddressBytes("10.77.1.50");
    Append(out, AddressBytes("255.255.0.0"));
    Append(out, AddressBytes("10.77.1.254"));
    Append(out, kMacBytes);
    return out;
}
Bytes SetDhcpFields()
{
    Bytes out = {0x01};
    Append(out, kMacBytes);
    return out;
}

void RunAllThree(KOVR_HANDLE h, const char *password)
{
    EXPECT_EQ(KOVRRebootDevice(h, kMac, password), 0);
    EXPECT_EQ(
        KOVRSetNetwork(h, kMac, inet_addr("10.77.1.50"), inet_addr("255.255.0.0"), inet_addr("10.77.1.254"), password),
        0);
    // Only the low byte of the mode travels.
    EXPECT_EQ(KOVRSetDHCP(h, kMac, 0x101, password), 0);
}

Bytes PlainRequest(uint8_t type, const Bytes &fields, const std::string &password)
{
    Bytes out = Header(type, static_cast<uint16_t>(fields.size() + 1 + password.size()));
    Append(out, fields);
    out.push_back(static_cast<uint8_t>(password.size()));
    Append(out, Bytes(password.begin(), password.end()));
    return out;
}

TEST(DeviceCommandRequests, PlainPasswordTravelsInClear)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, OneDevice("plain", "abc"));
    DeviceSession device;
    RunAllThree(device.handle(), "abc");

    const Bytes reboot = PlainRequest(5, RebootFields(), "abc");
    ASSERT_EQ(reboot.size(), 18u); // authLength 3, payload 10
    const std::vector<Bytes> expected = {reboot, PlainRequest(3, SetNetworkFields(), "abc"),
                                         PlainRequest(7, SetDhcpFields(), "abc")};
    const uint16_t types[] = {5, 3, 7};
    for (size_t i = 0; i < 3; ++i) {
        const auto sent = Logged(sim, "in", types[i]);
        ASSERT_EQ(sent.size(), 1u) << "type " << types[i];
        EXPECT_EQ(sent[0].bytes, expected[i]) << "type " << types[i];
    }

    // With one local address the only query is the challenge query: one
    // DiscoveryRequest for the device per command.
    const auto queries = Logged(sim, "in", 1);
    ASSERT_EQ(queries.size(), 3u);
    Bytes query = Header(1, 28);
    Append(query, kMacBytes);
    Append(query, kTrailer);
    EXPECT_EQ(queries[0].bytes, query);
}

TEST(DeviceCommandRequests, EmptyPlainPasswordHasAuthLengthZero)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, OneDevice("plain", ""));
    DeviceSession device;
    ASSERT_EQ(KOVRRebootDevice(device.handle(), kMac, ""), 0);
    const auto sent = Logged(sim, "in", 5);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, PlainRequest(5, RebootFields(), "")); // payload 7
}

TEST(DeviceCommandRequests, OverlongPlainPasswordIsRefusedNotShortened)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, OneDevice("plain", std::string(255, 'p')));
    DeviceSession device;
    // 255 bytes still fit the length byte.
    EXPECT_EQ(KOVRRebootDevice(device.handle(), kMac, std::string(255, 'p').c_str()), 0);

    const std::string overlong(256, 'p');
    EXPECT_EQ(KOVRSetDHCP(device.handle(), kMac, 1, overlong.c_str()), -1);
    EXPECT_TRUE(device.HasError(-1, "Password too long"));
    EXPECT_TRUE(Logged(sim, "in", 7).empty()) << "nothing may be sent";
}

// Pairs each command request with the challenge of the DiscoveryReply that
// the simulator sent just before it.
struct ChallengedRequest {
    Bytes challenge;
    Bytes request;
};

std::vector<ChallengedRequest> ChallengedRequests(const Simulator &sim)
{
    std::vector<ChallengedRequest> out;
    Bytes challenge;
    for (const nlohmann::json &line : sim.Log()) {
        const Bytes bytes = test::FromHex(line.value("bytes", ""));
        if (bytes.size() < 8) {
            continue;
        }
        if (line.value("direction", "") == "out" && bytes[5] == 2) {
            challenge = test::FieldOf(bytes, 23);
        } else if (line.value("direction", "") == "in" && bytes[5] != 1) {
            out.push_back({challenge, bytes});
        }
    }
    return out;
}

// The digest computed here from the logged bytes, independently of the
// library's request code: challenge, password, type bytes, fixed fields, 16.
Bytes DigestRequest(uint8_t type, const Bytes &fields, const std::string &password, const Bytes &challenge)
{
    Bytes hashed = challenge;
    Append(hashed, Bytes(password.begin(), password.end()));
    Append(hashed, {0x00, type});
    Append(hashed, fields);
    hashed.push_back(16);
    uint8_t digest[16];
    Md5 md5;
    md5.Update(hashed.data(), hashed.size());
    md5.Final(digest);

    Bytes out = Header(type, static_cast<uint16_t>(fields.size() + 1 + 16 + kTrailer.size()));
    Append(out, fields);
    out.push_back(16);
    Append(out, Bytes(digest, digest + 16));
    Append(out, kTrailer);
    return out;
}

TEST(DeviceCommandRequests, DigestAnswersTheDevicesChallenge)
{
    Lab lab(Topology::Single);
    Simulator sim(lab, OneDevice("digest", "secret"));
    DeviceSession device;
    RunAllThree(device.handle(), "secret"); // 0 from each: the simulator accepted the digest

    const std::vector<ChallengedRequest> sent = ChallengedRequests(sim);
    ASSERT_EQ(sent.size(), 3u);
    const uint8_t types[] = {5, 3, 7};
    const Bytes fields[] = {RebootFields(), SetNetworkFields(), SetDhcpFields()};
    const size_t payloads[] = {45, 57, 46};
    for (size_t i = 0; i < 3; ++i) {
        ASSERT_EQ(sent[i].challenge.size(), 14u);
        const Bytes expected = DigestRequest(types[i], fields[i], "secret", sent[i].challenge);
        EXPECT_EQ(expected.size(), payloads[i] + 8);
        EXPECT_EQ(sent[i].request, expected) << "type " << int(types[i]);
    }
}

// Requiring a challenge, against each kind of device: a plain one is
// refused with nothing sent, a digest one is served, and turned off again
// the policy lets a plain password go as before.
TEST(DeviceCommandRequests, RequiredChallengeKeepsPlainPasswordsAtHome)
{
    struct Row {
        const char *name;
        const char *auth;
        std::vector<uint32_t> policies; // set in turn before the commands
        int32_t result;
        size_t commandsSent;
        int32_t lastError;
        const char *lastMessage;
    };
    const Row rows[] = {
        {"plain device, required",
         "plain",
         {KOVR_POLICY_REQUIRE_CHALLENGE},
         KOVR_FAILED,
         0,
         KOVR_ERROR_NO_CHALLENGE,
         KOVR_NO_CHALLENGE_MESSAGE},
        {"digest device, required", "digest", {KOVR_POLICY_REQUIRE_CHALLENGE}, 0, 3, 0, ""},
        {"plain device, required then not", "plain", {KOVR_POLICY_REQUIRE_CHALLENGE, 0}, 0, 3, 0, ""},
    };
    Lab lab(Topology::Single);
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        Simulator sim(lab, OneDevice(row.auth, "secret"));
        DeviceSession device;
        for (const uint32_t policy : row.policies) {
            ASSERT_EQ(KOVRSetCommandPolicy(device.handle(), policy), 0);
        }
        const KOVR_HANDLE h = device.handle();
        const int32_t results[] = {
            KOVRRebootDevice(h, kMac, "secret"),
            KOVRSetNetwork(h, kMac, inet_addr("10.77.1.50"), inet_addr("255.255.0.0"), inet_addr("10.77.1.254"),
                           "secret"),
            KOVRSetDHCP(h, kMac, 1, "secret"),
        };
        for (const int32_t result : results) {
            EXPECT_EQ(result, row.result);
        }
        EXPECT_TRUE(device.HasError(row.lastError, row.lastMessage));
        EXPECT_EQ(Logged(sim, "in", 5).size() + Logged(sim, "in", 3).size() + Logged(sim, "in", 7).size(),
                  row.commandsSent);
    }
}

} // namespace
} // namespace kovr
